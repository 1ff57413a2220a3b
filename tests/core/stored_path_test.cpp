// What a stored value gives the path edit, and the key it is stored under.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>

#include "settings/stored_path.h"
#include "tests/support/param_name.h"
#include "tests/support/test_text.h"

namespace hm::test {
namespace {

// A path of `units` units: "C:\" then folder names of letters.
String SamplePath(int units) {
  String path;
  const char* start = "C:\\";
  for (int index = 0; index < units; ++index) {
    if (index < 3) {
      path.push_back(static_cast<Char>(start[index]));
    } else {
      path.push_back(index % 9 == 0 ? Char{'\\'} : static_cast<Char>('a' + index % 26));
    }
  }
  return path;
}

// Stands for whatever the buffer held before the query: never part of a text.
constexpr Char kStale = '#';

constexpr std::uint32_t kValueTypeNone = 0;
constexpr std::uint32_t kValueTypeMultiSz = 7;

struct StoredCase {
  const char* label;
  std::uint32_t type;
  int textUnits;            // sample path units written at the start of the buffer
  int zeroAt;               // where a zero unit is written after them, -1 for none
  std::uint32_t byteCount;  // bytes the query reported
  int restoredUnits;        // length of the text the edit gets, -1 when it is left alone
};

// Failure messages name the case, not its bytes.
void PrintTo(const StoredCase& c, std::ostream* out) { *out << c.label; }

const StoredCase kStoredCases[] = {
    {"NormalPath", kValueTypeSz, 11, 11, 24, 11},
    {"EmptyText", kValueTypeSz, 0, 0, 2, 0},
    {"Exactly259Units", kValueTypeSz, 259, 259, 520, 259},
    {"Units260NoRoomForTerminator", kValueTypeSz, 260, -1, 520, -1},
    {"Units260WithTerminator", kValueTypeSz, 260, -1, 522, -1},
    {"MoreThan260Units", kValueTypeSz, 260, -1, 1000, -1},
    {"HugeByteCount", kValueTypeSz, 11, 11, UINT32_MAX, -1},
    {"ExpandSz", kValueTypeExpandSz, 11, 11, 24, -1},
    {"Binary", kValueTypeBinary, 11, 11, 24, -1},
    {"Dword", kValueTypeDword, 2, -1, 4, -1},
    {"NoneType", kValueTypeNone, 11, 11, 24, -1},
    {"MultiSz", kValueTypeMultiSz, 11, 11, 24, -1},
    // Stale units follow the text: it ends with the last unit received.
    {"NoTerminator", kValueTypeSz, 11, -1, 22, 11},
    {"NoTerminator259Units", kValueTypeSz, 259, -1, 518, 259},
    {"NoTerminatorShorterThanWritten", kValueTypeSz, 20, -1, 10, 5},
    {"OddByteCountDropsLoneByte", kValueTypeSz, 11, -1, 23, 11},
    {"OddByteCountAfterTerminator", kValueTypeSz, 11, 11, 25, 11},
    {"OddByteCount519", kValueTypeSz, 260, -1, 519, 259},
    {"SingleByte", kValueTypeSz, 11, -1, 1, 0},
    {"ZeroBytes", kValueTypeSz, 11, 11, 0, 0},
    {"EmbeddedZero", kValueTypeSz, 11, 2, 24, 2},
    {"LeadingZeroIn520Bytes", kValueTypeSz, 260, 0, 520, 0},
    {"ZeroInLastUnit", kValueTypeSz, 260, 259, 520, 259},
};

class StoredValues : public ::testing::TestWithParam<StoredCase> {};

TEST_P(StoredValues, GiveTheEditOnlyAWholeTextFromTheBytesReceived) {
  const StoredCase& c = GetParam();
  const String sample = SamplePath(c.textUnits);
  TextBuffer data{};
  data.fill(kStale);
  for (std::size_t index = 0; index < sample.size(); ++index) data[index] = sample[index];
  if (c.zeroAt >= 0) data[static_cast<std::size_t>(c.zeroAt)] = 0;
  TextBuffer path{};
  path.fill(kStale);

  const bool restored = DecideRestoredPath(c.type, data, c.byteCount, path);

  ASSERT_LT(TextLength(path.data()), kTextUnits) << "path has no terminator";
  if (c.restoredUnits < 0) {
    EXPECT_FALSE(restored);
    EXPECT_EQ(String(path.data()), String());
  } else {
    EXPECT_TRUE(restored);
    EXPECT_EQ(String(path.data()), sample.substr(0, static_cast<std::size_t>(c.restoredUnits)));
  }
}

INSTANTIATE_TEST_SUITE_P(Table, StoredValues, ::testing::ValuesIn(kStoredCases), LabelName());

String LettersOf(int units) {
  String text;
  for (int index = 0; index < units; ++index) text.push_back(static_cast<Char>('A' + index % 26));
  return text;
}

struct KeyCase {
  const char* label;
  int titleUnits;
  bool fits;
};

void PrintTo(const KeyCase& c, std::ostream* out) { *out << c.label; }

// "SOFTWARE\Tovarik\" takes 17 of the 259 units. The registry path uses "\"
// whatever this build's separator is.
const KeyCase kKeyCases[] = {
    {"EmptyTitle", 0, false},       {"LongestTitleOfTheProgram", 99, true}, {"LongestThatFits", 242, true},
    {"OneUnitTooLong", 243, false}, {"LongestInTitleBuffer", 259, false},
};

class SettingsKeyPath : public ::testing::TestWithParam<KeyCase> {};

TEST_P(SettingsKeyPath, IsVendorKeyAndTitleOrNothing) {
  const KeyCase& c = GetParam();
  const String title = LettersOf(c.titleUnits);
  TextBuffer titleBuffer{};
  ASSERT_TRUE(CopyText(titleBuffer.data(), kTextUnits, title.c_str()));
  TextBuffer keyPath{};
  keyPath.fill(kStale);

  BuildSettingsKeyPath(titleBuffer, keyPath);

  ASSERT_LT(TextLength(keyPath.data()), kTextUnits) << "key path has no terminator";
  EXPECT_EQ(String(keyPath.data()), c.fits ? String(HM_TEXT("SOFTWARE\\Tovarik\\")) + title : String());
}

INSTANTIATE_TEST_SUITE_P(Table, SettingsKeyPath, ::testing::ValuesIn(kKeyCases), LabelName());

TEST(SettingsKeyPath, ProgramTitleGivesTheProgramsKey) {
  TextBuffer title{};
  ASSERT_TRUE(CopyText(title.data(), kTextUnits, HM_TEXT("Hulkmeter")));
  TextBuffer keyPath{};
  BuildSettingsKeyPath(title, keyPath);
  EXPECT_EQ(String(keyPath.data()), String(HM_TEXT("SOFTWARE\\Tovarik\\Hulkmeter")));
}

TEST(SettingsKeyPath, UnterminatedTitleIsRefused) {
  TextBuffer title{};
  title.fill('T');
  TextBuffer keyPath{};
  keyPath.fill(kStale);
  BuildSettingsKeyPath(title, keyPath);
  EXPECT_EQ(keyPath[0], Char{0});
}

}  // namespace
}  // namespace hm::test
