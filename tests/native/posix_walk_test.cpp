// The walk over real folders through the POSIX listing stand-in.
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

#include "scan/folder_walk.h"
#include "standin/memory_table.h"
#include "tests/support/fixture_tree.h"
#include "tests/support/param_name.h"
#include "tests/support/recording_sink.h"

namespace hm::test {
namespace {
namespace fs = std::filesystem;

class PosixWalk : public ::testing::Test {
 protected:
  void Scan(const String& root) {
    const Walk walk{&kPlatformListing, SinkFor(sink_)};
    ScanFolder(walk, root.c_str());
  }
  // Rows as "folder|name|size", sorted: a real listing's order is its own.
  std::vector<std::string> SortedRows() {
    std::vector<std::string> rows;
    for (const WalkEvent& row : sink_.Rows()) {
      rows.push_back(Utf8(row.folder) + "|" + Utf8(row.name) + "|" + std::to_string(row.size));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
  }

  FixtureTree tree_;
  RecordingSink sink_;
};

TEST_F(PosixWalk, EveryFileOnceWithItsFolderAndSize) {
  tree_.File("a.bin", 1536);
  tree_.File(".hidden", 10);
  tree_.File("Sub/big.iso", 4294967296);  // sparse
  tree_.File("Sub/Deep/empty", 0);
  tree_.Folder("Sub/EmptyFolder");
  const std::string root = Utf8(tree_.Text());
  for (const std::string& suffix : {std::string(), std::string("/")}) {
    sink_.events.clear();
    Scan(tree_.Text() + P(suffix.c_str()));
    const std::string folder = root + suffix;
    const std::string sub = root + "/Sub";
    std::vector<std::string> expected{folder + "|.hidden|10", folder + "|a.bin|1536", sub + "/Deep|empty|0",
                                      sub + "|big.iso|4294967296"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(SortedRows(), expected) << "root given as " << folder;
  }
}

TEST_F(PosixWalk, OrderedTableAndTexts) {
  tree_.File("ten", 10);
  tree_.File("x/three-thousand", 3000);
  tree_.File("x/y/zero", 0);
  tree_.File("three-million", 3000000);
  MemoryTable memory;
  const ResultTable table = MemoryResultTable(memory);
  sink_.table = &table;
  Scan(tree_.Text());
  table.ops->sortBySize(table.table);
  table.ops->selectFirst(table.table);
  ASSERT_EQ(table.ops->count(table.table), 4);
  TextBuffer cell{};
  const char* expected[4][3] = {{"three-million", "2.86 Mb", "3000000"},
                                {"three-thousand", "2.93 Kb", "3000"},
                                {"ten", "10.00 Bt", "10"},
                                {"zero", "0.00 Bt", "0"}};
  for (int row = 0; row < 4; ++row) {
    table.ops->cellText(table.table, row, kColumnFile, cell);
    EXPECT_EQ(Utf8(cell.data()), expected[row][0]);
    table.ops->cellText(table.table, row, kColumnSize, cell);
    EXPECT_EQ(Utf8(cell.data()), expected[row][1]);
    table.ops->cellText(table.table, row, kColumnBytes, cell);
    EXPECT_EQ(Utf8(cell.data()), expected[row][2]);
  }
  table.ops->cellText(table.table, 2, kColumnPath, cell);
  EXPECT_EQ(String(cell.data()), tree_.Text());
  EXPECT_EQ(table.ops->focusedSelectedRow(table.table), 0);
}

TEST_F(PosixWalk, NamesThatAreNotUtf8DoNotBreakOtherRows) {
  tree_.File("caf\xc3\xa9-\xf0\x9f\x98\x80.txt", 5);  // é and an emoji (a surrogate pair)
  tree_.File(std::string("bad\xff") + "name", 6);
  tree_.File("folder\xfe\xff/inside", 8);  // a folder whose name is not UTF-8 is entered all the same
  tree_.File("plain", 7);
  Scan(tree_.Text());
  const std::string root = Utf8(tree_.Text());
  EXPECT_EQ(SortedRows(), (std::vector<std::string>{root + "/folder\xef\xbf\xbd\xef\xbf\xbd|inside|8",
                                                    root + "|bad\xef\xbf\xbdname|6",
                                                    root + "|caf\xc3\xa9-\xf0\x9f\x98\x80.txt|5", root + "|plain|7"}));
  bool surrogatePair = false;
  for (const WalkEvent& row : sink_.Rows()) {
    surrogatePair = surrogatePair || row.name.find(static_cast<Char>(0xD83D)) != String::npos;
  }
  EXPECT_TRUE(surrogatePair);
}

TEST_F(PosixWalk, LinkToAFolderIsEnteredAndADanglingLinkIsNotListed) {
  tree_.File("elsewhere/inside", 4);
  tree_.Folder("walked");
  fs::create_directory_symlink(tree_.root / "elsewhere", tree_.root / "walked" / "link");
  fs::create_symlink(tree_.root / "missing", tree_.root / "walked" / "dangling");
  Scan(tree_.Text("walked"));
  EXPECT_EQ(SortedRows(), (std::vector<std::string>{Utf8(tree_.Text("walked/link")) + "|inside|4"}));
}

struct LinkCase {
  const char* label;
  const char* link;               // made inside the tree
  const char* target;             // relative to the link's folder, or "/..." below the tree's root
  std::vector<const char*> rows;  // "folder|name" below the root, sorted
};

// The tree: root/file, root/a/b/deep, root/sibling/other.
const LinkCase kLinkCases[] = {
    {"ToItself", "a/self", "/a", {"a/b|deep", "|file", "sibling|other"}},
    {"ToItsParent", "a/b/up", "..", {"a/b|deep", "|file", "sibling|other"}},
    {"ToTheRootAbsolute", "a/b/root", "/", {"a/b|deep", "|file", "sibling|other"}},
    {"ToTheRootRelative", "a/b/root", "../..", {"a/b|deep", "|file", "sibling|other"}},
    {"ToASibling", "a/side", "../sibling", {"a/b|deep", "a/side|other", "|file", "sibling|other"}},
    {"Dangling", "a/gone", "missing", {"a/b|deep", "|file", "sibling|other"}},
};

class PosixWalkLinks : public PosixWalk, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(PosixWalkLinks, LinksBackUpAreNotEnteredOthersAre) {
  tree_.File("file", 1);
  tree_.File("a/b/deep", 2);
  tree_.File("sibling/other", 3);
  const std::string target = GetParam().target;
  const fs::path to = target[0] == '/' ? tree_.root / target.substr(1) : fs::path(target);
  fs::create_directory_symlink(to, tree_.root / GetParam().link);
  Scan(tree_.Text());
  const std::string root = Utf8(tree_.Text());
  std::vector<std::string> expected;
  for (const char* row : GetParam().rows) {
    const std::string text = row;
    const std::size_t bar = text.find('|');
    const std::string folder = bar == 0 ? root : root + "/" + text.substr(0, bar);
    const std::string name = text.substr(bar + 1);
    expected.push_back(folder + "|" + name + "|" + (name == "file" ? "1" : name == "deep" ? "2" : "3"));
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(SortedRows(), expected);
}

INSTANTIATE_TEST_SUITE_P(Table, PosixWalkLinks, ::testing::ValuesIn(kLinkCases), LabelName());

TEST_F(PosixWalk, TwoLinksUpInOneFolderEndPromptly) {
  // Without the check this tree branches at every level until paths no
  // longer fit: 2^40 and more folders.
  tree_.File("loop/file", 1);
  fs::create_directory_symlink(tree_.root / "loop", tree_.root / "loop" / "again");
  fs::create_directory_symlink("..", tree_.root / "loop" / "parent");
  fs::create_directory_symlink(".", tree_.root / "loop" / "here");
  Scan(tree_.Text());
  EXPECT_EQ(SortedRows(), (std::vector<std::string>{Utf8(tree_.Text("loop")) + "|file|1"}));
}

TEST_F(PosixWalk, PathsLongerThanTheBuffersAreSkipped) {
  // Nested folders of 100 units each: the walk reaches as deep as 259-unit
  // patterns allow and passes over the rest without writing past a buffer.
  std::string relative;
  for (int level = 0; level < 5; ++level) {
    relative += (level == 0 ? "" : "/") + std::string(100, static_cast<char>('a' + level));
    tree_.File(relative + "/f", static_cast<std::uint64_t>(level));
  }
  Scan(tree_.Text());
  for (const WalkEvent& row : sink_.Rows()) {
    EXPECT_LE(row.folder.size() + 4, 259u) << "its pattern must have fitted";
  }
  const std::size_t rootLength = tree_.Text().size();
  const std::size_t reachable = (259 - 4 - rootLength) / 101;
  EXPECT_EQ(sink_.Rows().size(), std::min<std::size_t>(reachable, 5));
}

// Drops the two capabilities that let root read any folder, for the calling
// thread only: capabilities are per thread on Linux.
void DropFolderReadBypass() {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2]{};
  ASSERT_EQ(syscall(SYS_capget, &header, data), 0);
  data[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
  ASSERT_EQ(syscall(SYS_capset, &header, data), 0);
}

TEST_F(PosixWalk, FolderThatCannotBeListedIsSkippedAndTheWalkGoesOn) {
  tree_.File("locked/secret", 1);
  tree_.File("open/visible", 2);
  tree_.File("top", 3);
  fs::permissions(tree_.root / "locked", fs::perms::none);
  std::thread walker([this] {
    DropFolderReadBypass();
    Scan(tree_.Text());
  });
  walker.join();
  fs::permissions(tree_.root / "locked", fs::perms::owner_all);
  const std::string root = Utf8(tree_.Text());
  EXPECT_EQ(SortedRows(), (std::vector<std::string>{root + "/open|visible|2", root + "|top|3"}));
  // The folder still appears in its parent, so the status line showed the root.
  EXPECT_EQ(sink_.Statuses().size(), 2u);
}

}  // namespace
}  // namespace hm::test
