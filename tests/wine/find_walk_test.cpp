// The walk through the real FindFirstFileW family into the real list control.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "scan/folder_walk.h"
#include "scan/listview_table.h"
#include "tests/support/fixture_tree.h"
#include "tests/support/recording_sink.h"

namespace hm::test {
namespace {

class FindWalk : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    list_ = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT | LVS_SINGLESEL, 0, 0, 600, 400, nullptr,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
    SetUpResultColumns(list_);
    table_ = ListViewResultTable(list_);
    sink_.table = &table_;
  }
  void TearDown() override { DestroyWindow(list_); }

  void Scan(const String& root) {
    const Walk walk{&kPlatformListing, SinkFor(sink_)};
    ScanFolder(walk, root.c_str());
  }
  std::vector<std::wstring> Row(int row) {
    std::vector<std::wstring> cells;
    for (int column = 0; column < 4; ++column) {
      TextBuffer cell{};
      table_.ops->cellText(list_, row, column, cell);
      cells.emplace_back(cell.data());
    }
    return cells;
  }

  FixtureTree tree_;
  HWND list_ = nullptr;
  ResultTable table_{};
  RecordingSink sink_;
};

TEST_F(FindWalk, RowsCellsOrderingAndSelection) {
  tree_.File("a.bin", 1536);
  tree_.File("Sub/big.iso", 4294967296);
  tree_.File("Sub/Deep/empty", 0);
  tree_.File("Sub/ten", 10);
  tree_.Folder("Sub/EmptyFolder");
  Scan(tree_.Text());
  const std::wstring root = tree_.Text();
  ASSERT_EQ(table_.ops->count(list_), 4);
  table_.ops->sortBySize(list_);
  EXPECT_EQ(Row(0), (std::vector<std::wstring>{L"big.iso", root + L"\\Sub", L"4.00 Gb", L"4294967296"}));
  EXPECT_EQ(Row(1), (std::vector<std::wstring>{L"a.bin", root, L"1.50 Kb", L"1536"}));
  EXPECT_EQ(Row(2), (std::vector<std::wstring>{L"ten", root + L"\\Sub", L"10.00 Bt", L"10"}));
  EXPECT_EQ(Row(3), (std::vector<std::wstring>{L"empty", root + L"\\Sub\\Deep", L"0.00 Bt", L"0"}));
  EXPECT_EQ(table_.ops->focusedSelectedRow(list_), -1);
  table_.ops->selectFirst(list_);
  EXPECT_EQ(table_.ops->focusedSelectedRow(list_), 0);
  // "." and ".." were listed and passed over: only real folders were shown.
  for (const String& status : sink_.Statuses()) EXPECT_TRUE(status == root || status == root + L"\\Sub");
}

TEST_F(FindWalk, RootEndingWithEitherSlash) {
  tree_.File("f", 1);
  tree_.File("Sub/g", 2);
  for (const wchar_t* ending : {L"\\", L"/"}) {
    sink_.events.clear();
    const std::wstring root = tree_.Text() + ending;
    Scan(root);
    std::vector<std::wstring> folders;
    for (const WalkEvent& row : sink_.Rows()) folders.push_back(row.folder);
    std::sort(folders.begin(), folders.end());
    // The folder cell keeps the root exactly as given; "/" is not "\", so the
    // sub-folder is joined with another "\".
    const std::wstring sub = std::wstring(ending) == L"\\" ? root + L"Sub" : root + L"\\Sub";
    EXPECT_EQ(folders, (std::vector<std::wstring>{root, sub})) << "root " << Utf8(root);
  }
}

TEST_F(FindWalk, MissingRootYieldsNothing) {
  Scan(tree_.Text() + L"\\does-not-exist");
  EXPECT_TRUE(sink_.events.empty());
  EXPECT_EQ(table_.ops->count(list_), 0);
}

// The worker's stack at the deepest walk the buffers allow, measured on a
// thread with the program's stack reservation of 1 MiB.
std::uintptr_t lowestStack = UINTPTR_MAX;

bool MeasuringFindFirst(const Char* pattern, FindEntry& entry, SearchHandle& search) {
  int marker = 0;
  lowestStack = std::min(lowestStack, reinterpret_cast<std::uintptr_t>(&marker));
  return kPlatformListing.findFirst(pattern, entry, search);
}
const FolderListing kMeasuringListing{MeasuringFindFirst, kPlatformListing.findNext, kPlatformListing.findClose,
                                      kPlatformListing.folderIdentity};

struct DeepWalk {
  std::wstring root;
  RecordingSink sink;
  std::uintptr_t top;
};

DWORD WINAPI WalkDeep(LPVOID parameter) {
  auto& deep = *static_cast<DeepWalk*>(parameter);
  int marker = 0;
  deep.top = reinterpret_cast<std::uintptr_t>(&marker);
  const Walk walk{&kMeasuringListing, SinkFor(deep.sink)};
  ScanFolder(walk, deep.root.c_str());
  return 0;
}

TEST_F(FindWalk, DeepestWalkStaysWellInsideTheWorkerStack) {
  DeepWalk deep{tree_.Text(), {}, 0};
  std::wstring folder = deep.root;
  int levels = 0;
  while (folder.size() + 2 + 4 <= 259) {  // a sub-folder "a" whose pattern still fits
    folder += L"\\a";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ++levels;
  }
  const std::wstring deepest = folder + L"\\f";
  CloseHandle(CreateFileW(deepest.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  HANDLE thread = CreateThread(nullptr, 1048576, WalkDeep, &deep, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  ASSERT_NE(thread, nullptr);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  ASSERT_EQ(deep.sink.Rows().size(), 1u);
  EXPECT_EQ(deep.sink.Rows()[0].folder, folder);
  const std::uintptr_t used = deep.top - lowestStack;
  std::printf("deepest walk under Windows: %d levels, %zu bytes of the worker's 1 MiB stack\n", levels,
              static_cast<std::size_t>(used));
  EXPECT_LT(used, 512u * 1024u);
}

}  // namespace
}  // namespace hm::test
