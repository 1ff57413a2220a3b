// Trees a careless user or a hostile file system can produce, walked through
// the POSIX listing into the in-memory table. Each tree is made at test time.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>

#include <fstream>
#include <map>

#include "scan/folder_walk.h"
#include "standin/memory_table.h"
#include "tests/support/fixture_tree.h"
#include "tests/support/recording_sink.h"

namespace hm::test {
namespace {
namespace fs = std::filesystem;

class HostileTree : public ::testing::Test {
 protected:
  void Scan(const String& root, const FolderListing* listing = &kPlatformListing) {
    const Walk walk{listing, SinkFor(sink_)};
    ScanFolder(walk, root.c_str());
  }
  std::map<String, std::uint64_t> RowsByPath() {
    std::map<String, std::uint64_t> rows;
    for (const WalkEvent& row : sink_.Rows()) rows[row.folder + P("/") + row.name] = row.size;
    return rows;
  }

  FixtureTree tree_;
  RecordingSink sink_;
};

TEST_F(HostileTree, TwelveHundredNestedFoldersEndAtThePathLimit) {
  // Made one level at a time relative to the last, as a deep tree is made.
  int folder = ::open(tree_.root.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(folder, 0);
  std::vector<std::size_t> filesAt;  // depths that hold a file
  for (int depth = 1; depth <= 1200; ++depth) {
    ASSERT_EQ(::mkdirat(folder, "d", 0755), 0) << "depth " << depth;
    const int next = ::openat(folder, "d", O_RDONLY | O_DIRECTORY);
    ::close(folder);
    folder = next;
    ASSERT_GE(folder, 0);
    if (depth == 1 || depth % 50 == 0 || depth == 1200) {
      ::close(::openat(folder, "f", O_CREAT | O_WRONLY, 0644));
      filesAt.push_back(static_cast<std::size_t>(depth));
    }
  }
  ::close(folder);
  Scan(tree_.Text());
  std::size_t reachable = 0;
  for (const std::size_t depth : filesAt) {
    if (tree_.Text().size() + 2 * depth + 4 <= 259) ++reachable;  // its pattern fits
  }
  EXPECT_EQ(sink_.Rows().size(), reachable);
  EXPECT_GT(reachable, 0u);
  for (const WalkEvent& row : sink_.Rows()) EXPECT_LE(row.folder.size(), 255u);
  // Removing it takes the same care: fs::remove_all cannot reach that deep.
  std::string removeCommand = "rm -rf '" + tree_.root.string() + "/d'";
  EXPECT_EQ(std::system(removeCommand.c_str()), 0);
}

TEST_F(HostileTree, NamesOf255UnitsAndAPathOfExactly259) {
  const std::string longName(255, 'n');
  tree_.File(longName, 7);                      // a row with a 255-unit name
  tree_.File(std::string(255, 'f') + "/x", 8);  // its folder's pattern is too long: skipped
  // A folder whose pattern takes exactly 259 units is listed; one unit more is not.
  const std::size_t rootLength = tree_.Text().size();
  const std::size_t fits = 255 - rootLength - 1;
  tree_.File(std::string(fits, 'a') + "/in", 9);
  tree_.File(std::string(fits + 1, 'b') + "/out", 10);
  Scan(tree_.Text());
  const String root = tree_.Text();
  std::map<String, std::uint64_t> expected{
      {root + P("/") + P(longName.c_str()), 7},
      {root + P("/") + P(std::string(fits, 'a').c_str()) + P("/in"), 9},
  };
  EXPECT_EQ(RowsByPath(), expected);
}

TEST_F(HostileTree, OddNamesComeThroughExactly) {
  std::string printable;
  for (char c = 0x20; c <= 0x7E; ++c) {
    if (c != '/') printable += c;  // the one printable character Linux refuses in a name
  }
  const std::map<std::string, String> names{
      {printable, String(printable.begin(), printable.end())},
      {"e\xcc\x81", String{u'e', 0x0301}},                                   // a combining mark
      {"\xf0\x9f\x98\x80.txt", String{0xD83D, 0xDE00, '.', 't', 'x', 't'}},  // outside the BMP
      {"bad\xff", String{'b', 'a', 'd', 0xDCFF}},                            // not UTF-8: the byte is kept
      {"tab\there", P("tab\there")},
      {"new\nline", P("new\nline")},
  };
  std::uint64_t size = 1;
  for (const auto& [bytes, text] : names) tree_.File(bytes, size++);
  Scan(tree_.Text());
  std::vector<String> seen;
  for (const WalkEvent& row : sink_.Rows()) seen.push_back(row.name);
  std::vector<String> expected;
  for (const auto& [bytes, text] : names) expected.push_back(text);
  std::sort(seen.begin(), seen.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(seen, expected);
}

TEST_F(HostileTree, SizesAroundTheHalvesAndATebibyte) {
  tree_.File("zero", 0);
  tree_.File("below", 4294967295u);
  tree_.File("at", 4294967296u);
  tree_.File("tebi", std::uint64_t{1} << 40);
  MemoryTable memory;
  const ResultTable table = MemoryResultTable(memory);
  sink_.table = &table;
  Scan(tree_.Text());
  table.ops->sortBySize(table.table);
  const char* expected[4][3] = {{"tebi", "1024.00 Gb", "1099511627776"},
                                {"at", "4.00 Gb", "4294967296"},
                                {"below", "4.00 Gb", "4294967295"},
                                {"zero", "0.00 Bt", "0"}};
  ASSERT_EQ(table.ops->count(table.table), 4);
  for (int row = 0; row < 4; ++row) {
    for (int column : {kColumnFile, kColumnSize, kColumnBytes}) {
      TextBuffer cell{};
      table.ops->cellText(table.table, row, column, cell);
      EXPECT_EQ(Utf8(cell.data()), expected[row][column == kColumnFile ? 0 : column == kColumnSize ? 1 : 2]);
    }
  }
}

TEST_F(HostileTree, AHundredThousandFilesInOneFolder) {
  const fs::path folder = tree_.root / "many";
  fs::create_directories(folder);
  for (int i = 0; i < 100000; ++i) {
    const std::string name = (folder / ("f" + std::to_string(i))).string();
    const int fd = ::open(name.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, i), 0);
    ::close(fd);
  }
  MemoryTable memory;
  const ResultTable table = MemoryResultTable(memory);
  sink_.table = &table;
  const auto start = std::chrono::steady_clock::now();
  Scan(tree_.Text());
  table.ops->sortBySize(table.table);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("100,000 files in one folder: walked and ordered in %.2f s\n", seconds);
  ASSERT_EQ(table.ops->count(table.table), 100000);
  EXPECT_TRUE(RowsOrderedBySize(table));
  TextBuffer cell{};
  table.ops->cellText(table.table, 0, kColumnFile, cell);
  EXPECT_EQ(Utf8(cell.data()), "f99999");
}

// A listing that removes one folder of the tree the moment the walk starts
// listing it, or puts a file in its place.
struct VanishingState {
  String pattern;
  fs::path folder;
  bool replaceWithFile;
};
VanishingState vanishing;

bool VanishingFindFirst(const Char* pattern, FindEntry& entry, SearchHandle& search) {
  const bool found = kPlatformListing.findFirst(pattern, entry, search);
  if (String(pattern) == vanishing.pattern) {
    fs::remove_all(vanishing.folder);
    if (vanishing.replaceWithFile) std::ofstream(vanishing.folder).put('x');
  }
  return found;
}
const FolderListing kVanishingListing{VanishingFindFirst, kPlatformListing.findNext, kPlatformListing.findClose,
                                      kPlatformListing.folderIdentity};

TEST_F(HostileTree, FolderThatVanishesOrBecomesAFileWhileListed) {
  for (const bool replace : {false, true}) {
    FixtureTree tree;
    for (int i = 0; i < 50; ++i) tree.File("victim/f" + std::to_string(i), 5);
    tree.File("victim/sub/deeper", 6);
    tree.File("keep/k", 7);
    tree.File("top", 8);
    TextBuffer pattern{};
    JoinPath(pattern, tree.Text("victim").c_str(), HM_TEXT("*.*"));
    vanishing = VanishingState{pattern.data(), tree.root / "victim", replace};
    sink_.events.clear();
    Scan(tree.Text(), &kVanishingListing);
    std::size_t fromVictim = 0;
    bool sawKeep = false;
    bool sawTop = false;
    for (const WalkEvent& row : sink_.Rows()) {
      if (row.folder.find(P("victim")) != String::npos) ++fromVictim;
      sawKeep = sawKeep || row.name == P("k");
      sawTop = sawTop || row.name == P("top");
    }
    // Only the entry already read before the folder went can still appear.
    EXPECT_LE(fromVictim, 1u) << (replace ? "replaced by a file" : "removed");
    EXPECT_TRUE(sawKeep);
    EXPECT_TRUE(sawTop);
  }
}

struct Stamp {
  std::uint64_t size;
  std::int64_t modified;
  bool operator==(const Stamp& other) const { return size == other.size && modified == other.modified; }
};

std::map<std::string, Stamp> Record(const fs::path& root) {
  std::map<std::string, Stamp> stamps;
  for (const auto& item : fs::recursive_directory_iterator(root)) {
    struct stat info {};
    lstat(item.path().c_str(), &info);
    stamps[item.path().string()] =
        Stamp{static_cast<std::uint64_t>(info.st_size),
              static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
  }
  return stamps;
}

TEST_F(HostileTree, TheScannedTreeIsLeftExactlyAsItWas) {
  tree_.File("a.bin", 1536);
  tree_.File("Sub/big.iso", 4294967296u);
  tree_.File("Sub/Deep/empty", 0);
  tree_.Folder("EmptyFolder");
  fs::create_directory_symlink(tree_.root / "Sub", tree_.root / "link");
  const auto before = Record(tree_.root);
  Scan(tree_.Text());
  EXPECT_EQ(sink_.Rows().size(), 5u);  // Sub's two files appear again under the link
  EXPECT_EQ(Record(tree_.root), before);
}

}  // namespace
}  // namespace hm::test
