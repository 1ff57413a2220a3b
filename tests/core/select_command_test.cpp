// The file manager's command line for a row: "/select, " and the full path.
#include <gtest/gtest.h>

#include "tests/support/param_name.h"
#include "tests/support/test_text.h"
#include "ui/select_command.h"

namespace hm::test {
namespace {

struct SelectCase {
  const char* label;
  const char* folder;
  const char* name;
  const char* command;
};

const SelectCase kSelectCases[] = {
    {"FileInDriveRoot", "C:\\", "name", "/select, C:\\name"},
    {"FileInFolder", "D:\\Data", "name", "/select, D:\\Data\\name"},
    {"SpacesStayUnquoted", "D:\\My Data", "big file.iso", "/select, D:\\My Data\\big file.iso"},
    {"EmptyFolderCell", "", "name", "/select, \\name"},
};

class SelectCommandTable : public ::testing::TestWithParam<SelectCase> {};

TEST_P(SelectCommandTable, Builds) {
  SelectCommand command{};
  BuildSelectCommand(P(GetParam().folder).c_str(), P(GetParam().name).c_str(), command);
  EXPECT_EQ(String(command.data()), P(GetParam().command));
}

INSTANTIATE_TEST_SUITE_P(Table, SelectCommandTable, ::testing::ValuesIn(kSelectCases), LabelName());

TEST(SelectCommand, CellsOf259UnitsEachAreNeverCut) {
  const String folder = P("C:\\") + String(256, 'f');
  const String name(259, 'n');
  ASSERT_EQ(folder.size(), 259u);
  SelectCommand command{};
  BuildSelectCommand(folder.c_str(), name.c_str(), command);
  const String expected = P("/select, ") + folder + P("\\") + name;
  EXPECT_EQ(expected.size(), 528u);
  EXPECT_EQ(String(command.data()), expected);
}

}  // namespace
}  // namespace hm::test
