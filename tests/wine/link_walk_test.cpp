// Folder links through the real FindFirstFileW family: a link back up the
// tree is not entered, any other link is. The trees are made with Unix links
// before this program runs; its one argument is their Unix path.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "scan/folder_walk.h"
#include "tests/support/param_name.h"
#include "tests/support/recording_sink.h"

namespace hm::test {
namespace {

std::wstring treesRoot;  // Z:\... of the trees

struct LinkCase {
  const char* label;
  std::vector<const wchar_t*> rows;  // "folder|name" below the case's root, sorted
};

const LinkCase kLinkCases[] = {
    {"ToItself", {L"\\a\\b|deep", L"\\sibling|other", L"|file"}},
    {"ToItsParent", {L"\\a\\b|deep", L"\\sibling|other", L"|file"}},
    {"ToTheRootAbsolute", {L"\\a\\b|deep", L"\\sibling|other", L"|file"}},
    {"ToTheRootRelative", {L"\\a\\b|deep", L"\\sibling|other", L"|file"}},
    {"ToASibling", {L"\\a\\b|deep", L"\\a\\side|other", L"\\sibling|other", L"|file"}},
    {"Dangling", {L"\\a\\b|deep", L"\\sibling|other", L"|file"}},
    {"TwoLinksUpInOneFolder", {L"\\a\\b|deep", L"\\sibling|other", L"|file"}},
};

class WindowsWalkLinks : public ::testing::TestWithParam<LinkCase> {};

TEST_P(WindowsWalkLinks, LinksBackUpAreNotEnteredOthersAre) {
  ASSERT_FALSE(treesRoot.empty()) << "give the trees' Unix path as the argument";
  const std::wstring root =
      treesRoot + L"\\" + std::wstring(GetParam().label, GetParam().label + strlen(GetParam().label));
  RecordingSink sink;
  const Walk walk{&kPlatformListing, SinkFor(sink)};
  ScanFolder(walk, root.c_str());
  std::vector<std::wstring> rows;
  for (const WalkEvent& row : sink.Rows()) rows.push_back(row.folder.substr(root.size()) + L"|" + row.name);
  std::sort(rows.begin(), rows.end());
  std::vector<std::wstring> expected(GetParam().rows.begin(), GetParam().rows.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(rows, expected);
}

INSTANTIATE_TEST_SUITE_P(Table, WindowsWalkLinks, ::testing::ValuesIn(kLinkCases), LabelName());

}  // namespace
}  // namespace hm::test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc > 1) {
    // A Unix path is the same path on drive Z:.
    hm::test::treesRoot = L"Z:";
    for (const char* c = argv[1]; *c != 0; ++c) hm::test::treesRoot += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
  }
  return RUN_ALL_TESTS();
}
