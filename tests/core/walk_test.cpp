// The walk over a listing held in memory, where the listing order is exact.
#include <gtest/gtest.h>

#include "scan/folder_walk.h"
#include "standin/memory_table.h"
#include "tests/support/fake_listing.h"
#include "tests/support/recording_sink.h"

namespace hm::test {
namespace {

FakeEntry File(const char* name, std::uint64_t size) { return FakeEntry{P(name), false, size}; }
FakeEntry Folder(const char* name) { return FakeEntry{P(name), true, 0}; }

class FolderWalk : public ::testing::Test {
 protected:
  void SetUp() override { ResetFakeListing(); }
  void TearDown() override { EXPECT_EQ(FakeListing().openSearches, 0) << "a search was left open"; }

  void Scan(const String& root) {
    const Walk walk{&kFakeListing, SinkFor(sink_)};
    ScanFolder(walk, root.c_str());
  }
  std::vector<String> RowTexts() {
    std::vector<String> rows;
    for (const WalkEvent& row : sink_.Rows()) rows.push_back(row.folder + P("|") + row.name);
    return rows;
  }

  RecordingSink sink_;
};

std::vector<String> Texts(std::initializer_list<const char*> texts) {
  std::vector<String> result;
  for (const char* text : texts) result.push_back(P(text));
  return result;
}

TEST_F(FolderWalk, RootWithoutSeparatorFilesAndSubFolders) {
  AddFakeFolder(P("D:\\Data"), {Folder("."), Folder(".."), File("a.bin", 1536), Folder("Sub"), File("z", 0)});
  AddFakeFolder(P("D:\\Data\\Sub"), {Folder("."), Folder(".."), File("big.iso", 4294967296)});
  Scan(P("D:\\Data"));
  EXPECT_EQ(FakeListing().patternsAsked, Texts({"D:\\Data\\*.*", "D:\\Data\\Sub\\*.*"}));
  EXPECT_EQ(RowTexts(), Texts({"D:\\Data|a.bin", "D:\\Data\\Sub|big.iso", "D:\\Data|z"}));
  EXPECT_EQ(sink_.Rows()[1].size, 4294967296u);
  EXPECT_EQ(sink_.Rows()[2].size, 0u);
  EXPECT_EQ(sink_.Statuses(), Texts({"D:\\Data"}));
}

TEST_F(FolderWalk, RootEndingWithSeparatorKeepsItInTheFolderCell) {
  AddFakeFolder(P("C:\\"), {File("boot.ini", 10), Folder("Windows")});
  AddFakeFolder(P("C:\\Windows"), {File("win.ini", 20)});
  Scan(P("C:\\"));
  EXPECT_EQ(FakeListing().patternsAsked, Texts({"C:\\*.*", "C:\\Windows\\*.*"}));
  EXPECT_EQ(RowTexts(), Texts({"C:\\|boot.ini", "C:\\Windows|win.ini"}));
}

TEST_F(FolderWalk, OnlyTheSeparatorCountsAsATrailingSeparator) {
  // "D:/Data/" on Windows: the "/" is not "\", so another "\" is appended.
  String root = P("D:");
  root += static_cast<Char>(kOtherSlash);
  root += P("Data");
  root += static_cast<Char>(kOtherSlash);
  AddFakeFolder(root, {File("f", 1), Folder("Sub")});
  AddFakeFolder(root + P("\\Sub"), {File("g", 2)});
  Scan(root);
  EXPECT_EQ(FakeListing().patternsAsked, (std::vector<String>{root + P("\\*.*"), root + P("\\Sub\\*.*")}));
  ASSERT_EQ(sink_.Rows().size(), 2u);
  EXPECT_EQ(sink_.Rows()[0].folder, root);
  EXPECT_EQ(sink_.Rows()[1].folder, root + P("\\Sub"));
}

TEST_F(FolderWalk, StatusFollowsTheDescentAndStaysUntilTheNextSubFolder) {
  // Root R lists A (which holds B) and then the file f.
  AddFakeFolder(P("R"), {Folder("A"), File("f", 1)});
  AddFakeFolder(P("R\\A"), {Folder("B")});
  AddFakeFolder(P("R\\A\\B"), {File("g", 2)});
  Scan(P("R"));
  std::vector<String> sequence;
  for (const WalkEvent& event : sink_.events) {
    sequence.push_back(event.isRow ? P("row ") + event.folder + P("|") + event.name : P("status ") + event.folder);
  }
  EXPECT_EQ(sequence, Texts({"status R", "status R\\A", "row R\\A\\B|g", "row R|f"}));
}

TEST_F(FolderWalk, FolderOfOnlySubFoldersIsShownOncePerSubFolder) {
  AddFakeFolder(P("R"), {Folder("x"), Folder("y"), Folder("z")});
  Scan(P("R"));  // the sub-folders themselves cannot be listed
  EXPECT_TRUE(sink_.Rows().empty());
  EXPECT_EQ(sink_.Statuses(), Texts({"R", "R", "R"}));
}

TEST_F(FolderWalk, DotEntriesAreNeverRowsNorEntered) {
  AddFakeFolder(P("R"), {Folder("."), Folder(".."), File(".", 5)});
  Scan(P("R"));
  EXPECT_EQ(FakeListing().patternsAsked, Texts({"R\\*.*"}));
  EXPECT_TRUE(sink_.Statuses().empty());
  // Only the folder bit makes an entry a folder: a file named "." is a row.
  EXPECT_EQ(RowTexts(), Texts({"R|."}));
}

TEST_F(FolderWalk, FolderThatCannotBeListedIsSkippedSilently) {
  AddFakeFolder(P("R"), {Folder("locked"), File("after", 3)});
  Scan(P("R"));
  EXPECT_EQ(FakeListing().patternsAsked, Texts({"R\\*.*", "R\\locked\\*.*"}));
  EXPECT_EQ(RowTexts(), Texts({"R|after"}));
}

TEST_F(FolderWalk, MissingOrEmptyRootYieldsNothing) {
  Scan(P("Nowhere"));
  EXPECT_TRUE(sink_.events.empty());
  Scan(String());
  EXPECT_EQ(FakeListing().patternsAsked, Texts({"Nowhere\\*.*"}));  // "" is not listed at all
  EXPECT_TRUE(sink_.events.empty());
}

TEST_F(FolderWalk, JoinsThatDoNotFit259UnitsAreSkipped) {
  // A root of 253 units: its pattern takes 257. A sub-folder "ab" makes a
  // path of 256 units and a pattern of 260: not listed. "a" makes 255 and 259.
  const String root = P("R\\") + String(251, 'r');
  ASSERT_EQ(root.size(), 253u);
  AddFakeFolder(root, {Folder("ab"), Folder("a"), File("f", 1)});
  AddFakeFolder(root + P("\\a"), {File("deepest", 2)});
  AddFakeFolder(root + P("\\ab"), {File("unreachable", 3)});
  Scan(root);
  EXPECT_EQ(FakeListing().patternsAsked, (std::vector<String>{root + P("\\*.*"), root + P("\\a\\*.*")}));
  EXPECT_EQ(FakeListing().patternsAsked[1].size(), 259u);
  ASSERT_EQ(sink_.Rows().size(), 2u);
  EXPECT_EQ(sink_.Rows()[0].name, P("deepest"));
  EXPECT_EQ(sink_.Rows()[1].name, P("f"));
}

TEST_F(FolderWalk, StopEndsTheWalkAndClosesEverySearch) {
  AddFakeFolder(P("R"), {Folder("A"), File("r1", 1), File("r2", 2)});
  AddFakeFolder(P("R\\A"), {Folder("B"), File("a1", 3)});
  AddFakeFolder(P("R\\A\\B"), {File("b1", 4), File("b2", 5), File("b3", 6)});
  sink_.stopAfterRows = 2;
  Scan(P("R"));
  EXPECT_EQ(RowTexts(), Texts({"R\\A\\B|b1", "R\\A\\B|b2"}));
  // TearDown checks that the three open searches were all closed.
}

TEST_F(FolderWalk, RowsArriveAtTheTopOfTheTable) {
  AddFakeFolder(P("R"), {File("first", 10), File("second", 3000), File("third", 0), File("fourth", 3000000)});
  MemoryTable memory;
  const ResultTable table = MemoryResultTable(memory);
  sink_.table = &table;
  Scan(P("R"));
  TextBuffer cell{};
  table.ops->cellText(table.table, 0, kColumnFile, cell);
  EXPECT_EQ(String(cell.data()), P("fourth"));
  table.ops->sortBySize(table.table);
  std::vector<String> bytes;
  for (int row = 0; row < table.ops->count(table.table); ++row) {
    table.ops->cellText(table.table, row, kColumnBytes, cell);
    bytes.emplace_back(cell.data());
  }
  EXPECT_EQ(bytes, Texts({"3000000", "3000", "10", "0"}));
}

TEST_F(FolderWalk, DeepestWalkTheBuffersAllowFitsTheWorkerStack) {
  // Folders "a" nested as deep as 259-unit patterns allow: each level adds 2.
  String folder = P("R");
  int depth = 0;
  for (;;) {
    const String next = folder + P("\\a");
    AddFakeFolder(folder, {File("f", 1), Folder("a")});
    if (next.size() + 4 > 259) break;
    folder = next;
    ++depth;
  }
  int top = 0;
  const auto topAddress = reinterpret_cast<std::uintptr_t>(&top);
  Scan(P("R"));
  EXPECT_EQ(static_cast<int>(sink_.Rows().size()), depth + 1);
  const std::uintptr_t used = topAddress - FakeListing().lowestStack;
  std::printf("deepest walk: %d levels below the root, %zu bytes of stack (%zu per level)\n", depth,
              static_cast<std::size_t>(used), static_cast<std::size_t>(used / static_cast<std::uintptr_t>(depth + 1)));
  EXPECT_LT(used, 768u * 1024u) << "the worker has 1 MiB of stack";
}

}  // namespace
}  // namespace hm::test
