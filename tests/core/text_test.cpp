// Bounded joins: a text that does not fit is refused whole, never cut.
#include <gtest/gtest.h>

#include "scan/text.h"
#include "tests/support/param_name.h"
#include "tests/support/test_text.h"

namespace hm::test {
namespace {

struct JoinCase {
  const char* label;
  const char* folder;
  const char* name;
  const char* joined;  // nullptr: refused
};

const JoinCase kJoinCases[] = {
    {"AddsSeparator", "D:\\Data", "a.bin", "D:\\Data\\a.bin"},
    {"KeepsTrailingSeparator", "C:\\", "a.bin", "C:\\a.bin"},
    {"EmptyFolderGetsSeparator", "", "a.bin", "\\a.bin"},
    {"EmptyName", "R", "", "R\\"},
};

class JoinPathTable : public ::testing::TestWithParam<JoinCase> {};

TEST_P(JoinPathTable, Joins) {
  TextBuffer out{};
  EXPECT_TRUE(JoinPath(out, P(GetParam().folder).c_str(), P(GetParam().name).c_str()));
  EXPECT_EQ(String(out.data()), P(GetParam().joined));
}

INSTANTIATE_TEST_SUITE_P(Table, JoinPathTable, ::testing::ValuesIn(kJoinCases), LabelName());

TEST(JoinPath, FillsTheBufferExactlyAndRefusesOneUnitMore) {
  // A guard after an 8-unit buffer shows that nothing is written past it.
  struct {
    std::array<Char, 8> buffer;
    Char guard;
  } box{};
  box.guard = 0x7777;
  EXPECT_TRUE(JoinPath(box.buffer, P("abc").c_str(), P("def").c_str()));  // 7 units + terminator
  EXPECT_EQ(String(box.buffer.data()), P("abc\\def"));
  EXPECT_FALSE(JoinPath(box.buffer, P("abc").c_str(), P("defg").c_str()));
  EXPECT_EQ(box.buffer[0], 0);
  EXPECT_FALSE(JoinPath(box.buffer, P("abcdefgh").c_str(), P("x").c_str()));  // folder alone too long
  EXPECT_EQ(box.guard, 0x7777);
}

TEST(AppendText, RefusesWholeAndKeepsTheOldText) {
  std::array<Char, 6> buffer{};
  EXPECT_TRUE(CopyText(buffer.data(), 6, P("ab").c_str()));
  EXPECT_FALSE(AppendText(buffer.data(), 6, P("cdef").c_str()));
  EXPECT_EQ(String(buffer.data()), P("ab"));
  EXPECT_TRUE(AppendText(buffer.data(), 6, P("cde").c_str()));
  EXPECT_EQ(String(buffer.data()), P("abcde"));
}

}  // namespace
}  // namespace hm::test
