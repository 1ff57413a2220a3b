// Runs the built hulkmeter-scan on trees made at test time and reads what it
// prints, as a script or a user at a terminal would.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/fixture_tree.h"
#include "tests/support/param_name.h"

extern char** environ;

namespace hm::test {
namespace {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::chrono::seconds kPatience{20};

// Where a stream of the program goes: a file, or a terminal the test holds.
enum class Stream { kFile, kTerminal };

struct Child {
  pid_t pid = -1;
  fs::path out;
  fs::path err;
  int terminal = -1;  // the test's end of the terminal, if any
  std::string shown;  // what the program wrote to the terminal so far
  int status = -1;    // exit status, or 128 + signal
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A terminal that passes "\n" through unchanged, so lines compare as written.
int OpenTerminal(std::string& slaveName) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return -1;
  slaveName = ptsname(master);
  const int slave = open(slaveName.c_str(), O_RDWR | O_NOCTTY);
  termios mode{};
  tcgetattr(slave, &mode);
  mode.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  tcsetattr(slave, TCSANOW, &mode);
  close(slave);  // the child opens it again by name
  return master;
}

Child Start(const std::vector<std::string>& args, Stream out = Stream::kFile, Stream err = Stream::kFile,
            const std::vector<std::string>& prefix = {}) {
  static int runs = 0;
  Child child;
  const fs::path base =
      fs::temp_directory_path() / ("hulkmeter-scan-run-" + std::to_string(getpid()) + "-" + std::to_string(runs++));
  child.out = base.string() + ".out";
  child.err = base.string() + ".err";
  std::string terminalName;
  if (out == Stream::kTerminal || err == Stream::kTerminal) child.terminal = OpenTerminal(terminalName);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  const std::string outPath = out == Stream::kTerminal ? terminalName : child.out.string();
  const std::string errPath = err == Stream::kTerminal ? terminalName : child.err.string();
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

  std::vector<std::string> words = prefix;
  words.push_back(HM_SCAN_PROGRAM);
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const int spawned = posix_spawn(&child.pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  EXPECT_EQ(spawned, 0) << "could not start " << argv[0];
  if (spawned != 0) child.pid = -1;
  return child;
}

// Reads the terminal until `wanted` holds for what it shows, or time is up.
template <class Condition>
bool ReadTerminalUntil(Child& child, Condition wanted, std::chrono::milliseconds timeout = kPatience) {
  const auto end = Clock::now() + timeout;
  while (!wanted(child.shown)) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    if (left <= 0) return false;
    pollfd ready{child.terminal, POLLIN, 0};
    if (poll(&ready, 1, static_cast<int>(std::min<long long>(left, 50))) <= 0) continue;
    char buffer[4096];
    const ssize_t got = read(child.terminal, buffer, sizeof buffer);
    if (got <= 0) return wanted(child.shown);  // every writer has closed it
    child.shown.append(buffer, static_cast<std::size_t>(got));
  }
  return true;
}

// Waits for the end, draining the terminal meanwhile. False on a timeout,
// after which the program is killed.
bool Wait(Child& child, std::chrono::milliseconds timeout = kPatience) {
  if (child.pid < 0) return false;
  const auto end = Clock::now() + timeout;
  int raw = 0;
  while (waitpid(child.pid, &raw, WNOHANG) == 0) {
    if (Clock::now() > end) {
      kill(child.pid, SIGKILL);
      waitpid(child.pid, &raw, 0);
      return false;
    }
    if (child.terminal >= 0) {
      ReadTerminalUntil(
          child, [](const std::string&) { return false; }, std::chrono::milliseconds(20));
    } else {
      usleep(2000);
    }
  }
  if (child.terminal >= 0)
    ReadTerminalUntil(
        child, [](const std::string&) { return false; }, std::chrono::milliseconds(50));
  child.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  return true;
}

struct Output {
  int status;
  std::string out;
  std::string err;
};

Output Finish(Child& child) {
  const bool ended = Wait(child);
  EXPECT_TRUE(ended) << "the program did not end";
  Output output{child.status, ReadFile(child.out), ReadFile(child.err)};
  fs::remove(child.out);
  fs::remove(child.err);
  if (child.terminal >= 0) close(child.terminal);
  return output;
}

Output RunScan(const std::vector<std::string>& args) {
  Child child = Start(args);
  return Finish(child);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// The bytes a line ends with: after the last tab, or the "bytes" number.
std::string SizeOf(const std::string& line) {
  const std::size_t start = line.find_last_of("\t:") + 1;
  return line.substr(start, line.find_first_not_of("0123456789", start) - start);
}

// The order among files of one size is the listing's own: lines of one size
// are compared as a set, the sizes themselves in the order printed.
std::vector<std::string> TiesSorted(std::vector<std::string> lines) {
  for (std::size_t first = 0; first < lines.size();) {
    std::size_t last = first + 1;
    while (last < lines.size() && SizeOf(lines[last]) == SizeOf(lines[first])) ++last;
    std::sort(lines.begin() + static_cast<std::ptrdiff_t>(first), lines.begin() + static_cast<std::ptrdiff_t>(last));
    first = last;
  }
  return lines;
}

// ---- What it prints for a tree ---------------------------------------------

struct FileSpec {
  const char* path;  // "/" between parts
  std::uint64_t size;
};

struct TreeCase {
  const char* label;
  std::vector<FileSpec> files;
  std::vector<const char*> folders;
  std::vector<std::string> args;      // "ROOT" stands for the tree's folder
  std::vector<std::string> expected;  // lines, "ROOT" as above
};

const std::vector<FileSpec> kFourSizes{
    {"ten", 10}, {"x/three-thousand", 3000}, {"x/y/zero", 0}, {"three-million", 3000000}};
const std::vector<std::string> kFourSizesRows{"three-million\tROOT\t2.86 Mb\t3000000",
                                              "three-thousand\tROOT/x\t2.93 Kb\t3000", "ten\tROOT\t10.00 Bt\t10",
                                              "zero\tROOT/x/y\t0.00 Bt\t0"};

const std::vector<FileSpec> kOddNames{{"tab\there", 6},   {"quote\"d", 5}, {"new\nline", 4},
                                      {"back\\slash", 3}, {"bell\x07", 2}, {"d\tir/\xC3\xA9t\xC3\xA9 \xE4\xB8\xAD", 1}};

const TreeCase kTreeCases[] = {
    {"LargestFirstWithFolderCells", kFourSizes, {}, {"ROOT"}, kFourSizesRows},
    {"RootWithTrailingSeparatorKeepsIt",
     {{"a", 1}, {"sub/b", 2}},
     {},
     {"ROOT/"},
     {"b\tROOT/sub\t2.00 Bt\t2", "a\tROOT/\t1.00 Bt\t1"}},
    {"TiesAllListedBelowTheLarger",
     {{"a", 1024}, {"b", 1024}, {"sub/c", 1024}, {"big", 1025}},
     {},
     {"ROOT"},
     {"big\tROOT\t1.00 Kb\t1025", "a\tROOT\t1.00 Kb\t1024", "b\tROOT\t1.00 Kb\t1024", "c\tROOT/sub\t1.00 Kb\t1024"}},
    {"HugeSparseFiles",
     {{"just-below", 4294967295}, {"four-gib", 4294967296}, {"tebibyte", 1099511627776}},
     {},
     {"ROOT"},
     {"tebibyte\tROOT\t1024.00 Gb\t1099511627776", "four-gib\tROOT\t4.00 Gb\t4294967296",
      "just-below\tROOT\t4.00 Gb\t4294967295"}},
    {"TopTwo", kFourSizes, {}, {"--top", "2", "ROOT"}, {kFourSizesRows[0], kFourSizesRows[1]}},
    {"TopAfterTheRoot", kFourSizes, {}, {"ROOT", "--top=1"}, {kFourSizesRows[0]}},
    {"TopZero", kFourSizes, {}, {"--top", "0", "ROOT"}, {}},
    {"TopBeyondTheCount", kFourSizes, {}, {"--top", "99999999999999999999999", "ROOT"}, kFourSizesRows},
    {"EmptyRoot", {}, {}, {"ROOT"}, {}},
    {"OnlyEmptyFolders", {}, {"a/b", "c"}, {"ROOT"}, {}},
    {"RootAfterDoubleDash", {{"f", 7}}, {}, {"--", "ROOT"}, {"f\tROOT\t7.00 Bt\t7"}},
    {"JsonRows",
     kFourSizes,
     {},
     {"--json", "ROOT"},
     {R"({"name":"three-million","folder":"ROOT","size":"2.86 Mb","bytes":3000000})",
      R"({"name":"three-thousand","folder":"ROOT/x","size":"2.93 Kb","bytes":3000})",
      R"({"name":"ten","folder":"ROOT","size":"10.00 Bt","bytes":10})",
      R"({"name":"zero","folder":"ROOT/x/y","size":"0.00 Bt","bytes":0})"}},
    {"JsonKeepsOddNamesExactly",
     kOddNames,
     {},
     {"--json", "ROOT"},
     {R"({"name":"tab\there","folder":"ROOT","size":"6.00 Bt","bytes":6})",
      R"({"name":"quote\"d","folder":"ROOT","size":"5.00 Bt","bytes":5})",
      R"({"name":"new\nline","folder":"ROOT","size":"4.00 Bt","bytes":4})",
      R"({"name":"back\\slash","folder":"ROOT","size":"3.00 Bt","bytes":3})",
      R"({"name":"bell\u0007","folder":"ROOT","size":"2.00 Bt","bytes":2})",
      "{\"name\":\"\xC3\xA9t\xC3\xA9 \xE4\xB8\xAD\",\"folder\":\"ROOT/d\\tir\",\"size\":\"1.00 Bt\",\"bytes\":1}"}},
    {"TabsShowControlCharactersAsQuestionMarks",
     kOddNames,
     {},
     {"ROOT"},
     {"tab?here\tROOT\t6.00 Bt\t6", "quote\"d\tROOT\t5.00 Bt\t5", "new?line\tROOT\t4.00 Bt\t4",
      "back\\slash\tROOT\t3.00 Bt\t3", "bell?\tROOT\t2.00 Bt\t2",
      "\xC3\xA9t\xC3\xA9 \xE4\xB8\xAD\tROOT/d?ir\t1.00 Bt\t1"}},
    // Bytes that are not UTF-8 show as U+FFFD and leave the other rows whole.
    {"NameNotUtf8InTabs",
     {{"bad\xFF\xFE.bin", 2}, {"good", 1}},
     {},
     {"ROOT"},
     {"bad\xEF\xBF\xBD\xEF\xBF\xBD.bin\tROOT\t2.00 Bt\t2", "good\tROOT\t1.00 Bt\t1"}},
    {"NameNotUtf8InJson",
     {{"bad\xFF\xFE.bin", 2}, {"good", 1}},
     {},
     {"--json", "ROOT"},
     {"{\"name\":\"bad\xEF\xBF\xBD\xEF\xBF\xBD.bin\",\"folder\":\"ROOT\",\"size\":\"2.00 Bt\",\"bytes\":2}",
      R"({"name":"good","folder":"ROOT","size":"1.00 Bt","bytes":1})"}},
};

class ScanOutput : public ::testing::TestWithParam<TreeCase> {};

TEST_P(ScanOutput, PrintsTheOrderedRows) {
  const TreeCase& entry = GetParam();
  FixtureTree tree;
  for (const char* folder : entry.folders) tree.Folder(folder);
  for (const FileSpec& file : entry.files) {
    // Names that are not UTF-8 are made by their bytes, not through u8path.
    const fs::path path = tree.root / file.path;
    fs::create_directories(path.parent_path());
    { std::ofstream(path, std::ios::binary).put('\0'); }
    fs::resize_file(path, file.size);
  }
  const std::string root = tree.root.string();
  std::vector<std::string> args;
  for (const std::string& arg : entry.args) args.push_back(Replace(arg, "ROOT", root));
  std::vector<std::string> expected;
  for (const std::string& line : entry.expected) expected.push_back(Replace(line, "ROOT", root));

  const Output output = RunScan(args);
  EXPECT_EQ(output.status, 0) << output.err;
  EXPECT_EQ(output.err, "") << "no progress line when standard error is not a terminal";
  EXPECT_EQ(TiesSorted(Lines(output.out)), TiesSorted(expected));
  EXPECT_TRUE(output.out.empty() || output.out.back() == '\n');
}

INSTANTIATE_TEST_SUITE_P(Trees, ScanOutput, ::testing::ValuesIn(kTreeCases), LabelName());

// ---- Errors and usage ------------------------------------------------------

struct CallCase {
  const char* label;
  std::vector<std::string> args;  // "TREE" is a tree holding the file "file"
  int status;
  std::vector<std::string> errLines;  // "TREE" as above
};

const std::string kUsage = "Usage: hulkmeter-scan [--top N] [--json] ROOT";
const std::string kTryHelp = "Try 'hulkmeter-scan --help' for more.";

const CallCase kCallCases[] = {
    {"NoArguments", {}, 2, {"hulkmeter-scan: no ROOT given", kUsage, kTryHelp}},
    {"OnlyOptions", {"--json", "--top", "3"}, 2, {"hulkmeter-scan: no ROOT given", kUsage, kTryHelp}},
    {"UnknownOption", {"--frob", "TREE"}, 2, {"hulkmeter-scan: unknown option '--frob'", kUsage, kTryHelp}},
    {"UnknownShortOption", {"TREE", "-x"}, 2, {"hulkmeter-scan: unknown option '-x'", kUsage, kTryHelp}},
    {"TopWithoutNumber", {"TREE", "--top"}, 2, {"hulkmeter-scan: --top needs a number", kUsage, kTryHelp}},
    {"TopNotANumber",
     {"--top", "abc", "TREE"},
     2,
     {"hulkmeter-scan: --top needs a whole number of 0 or more, not 'abc'", kUsage, kTryHelp}},
    {"TopNegative",
     {"--top=-1", "TREE"},
     2,
     {"hulkmeter-scan: --top needs a whole number of 0 or more, not '-1'", kUsage, kTryHelp}},
    {"TwoRoots", {"TREE", "TREE"}, 2, {"hulkmeter-scan: only one ROOT can be given", kUsage, kTryHelp}},
    {"MissingRoot", {"TREE/missing"}, 1, {"hulkmeter-scan: cannot list 'TREE/missing': No such file or directory"}},
    {"RootIsAFile", {"TREE/file"}, 1, {"hulkmeter-scan: cannot list 'TREE/file': Not a directory"}},
    {"RootNotUtf8", {"TREE/\xFF"}, 1, {"hulkmeter-scan: cannot list 'TREE/\xFF': the path is not valid UTF-8"}},
    {"RootTooLong",
     {"TREE/" + std::string(300, 'a')},
     1,
     {"hulkmeter-scan: cannot list 'TREE/" + std::string(300, 'a') + "': the path is longer than 259 characters"}},
};

class Invocation : public ::testing::TestWithParam<CallCase> {};

TEST_P(Invocation, OneClearMessageAndItsStatus) {
  const CallCase& entry = GetParam();
  FixtureTree tree;
  tree.File("file", 5);
  const std::string root = tree.root.string();
  std::vector<std::string> args;
  for (const std::string& arg : entry.args) args.push_back(Replace(arg, "TREE", root));
  std::vector<std::string> expected;
  for (const std::string& line : entry.errLines) expected.push_back(Replace(line, "TREE", root));

  const Output output = RunScan(args);
  EXPECT_EQ(output.status, entry.status);
  EXPECT_EQ(output.out, "") << "no table and no help on standard output";
  EXPECT_EQ(Lines(output.err), expected);
}

INSTANTIATE_TEST_SUITE_P(Calls, Invocation, ::testing::ValuesIn(kCallCases), LabelName());

TEST(ScanProgram, RootThatMayNotBeListed) {
  FixtureTree tree;
  tree.File("locked/secret", 1);
  fs::permissions(tree.root / "locked", fs::perms::none);
  // Root may list anything: run it without the two capabilities that allow it.
  std::vector<std::string> prefix;
  if (geteuid() == 0) {
    prefix = {"/usr/bin/setpriv", "--inh-caps=-dac_override,-dac_read_search",
              "--bounding-set=-dac_override,-dac_read_search", "--"};
    if (!fs::exists(prefix[0])) GTEST_SKIP() << "running as root without setpriv";
  }
  const std::string locked = (tree.root / "locked").string();
  Child child = Start({locked}, Stream::kFile, Stream::kFile, prefix);
  const Output output = Finish(child);
  fs::permissions(tree.root / "locked", fs::perms::owner_all);
  EXPECT_EQ(output.status, 1);
  EXPECT_EQ(output.out, "");
  EXPECT_EQ(output.err, "hulkmeter-scan: cannot list '" + locked + "': Permission denied\n");
}

TEST(ScanProgram, HelpAndVersionOnStandardOutput) {
  const Output help = RunScan({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, "");
  const std::vector<std::string> lines = Lines(help.out);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], kUsage);
  for (const char* option : {"--top N", "--json", "--help", "--version", "Exit status"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
  // Help wins over a bad root: nothing is walked.
  EXPECT_EQ(RunScan({"/no/such/folder", "--help"}).out, help.out);

  const Output version = RunScan({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "hulkmeter-scan " HM_VERSION "\n");
  EXPECT_EQ(version.err, "");
}

// ---- At a terminal ---------------------------------------------------------

TEST(ScanProgram, HeaderLineOnlyWhenOutputIsATerminal) {
  FixtureTree tree;
  tree.File("small", 1);
  tree.File("sub/large", 1536);
  const std::string root = tree.root.string();
  Child child = Start({root}, Stream::kTerminal, Stream::kFile);
  const Output output = Finish(child);
  EXPECT_EQ(output.status, 0);
  EXPECT_EQ(Lines(child.shown),
            (std::vector<std::string>{"File\tPath\tSize\tSize in bites", "large\t" + root + "/sub\t1.50 Kb\t1536",
                                      "small\t" + root + "\t1.00 Bt\t1"}));
  // The same run into a file or a pipe has no header, and --json never has.
  EXPECT_EQ(Lines(RunScan({root}).out).size(), 2u);
  Child json = Start({"--json", root}, Stream::kTerminal, Stream::kFile);
  Finish(json);
  EXPECT_EQ(Lines(json.shown).size(), 2u);
  EXPECT_EQ(json.shown.rfind("{\"name\":\"large\"", 0), 0u) << json.shown;
}

TEST(ScanProgram, ProgressLineIsClearedBeforeTheTable) {
  FixtureTree tree;
  tree.File("a/b/c", 3);
  Child child = Start({tree.root.string()}, Stream::kFile, Stream::kTerminal);
  const Output output = Finish(child);
  EXPECT_EQ(output.status, 0);
  EXPECT_EQ(output.out, "c\t" + tree.root.string() + "/a/b\t3.00 Bt\t3\n");
  ASSERT_NE(child.shown.find(" files  "), std::string::npos) << "a progress line was drawn";
  // Whatever was drawn is blanked out and the cursor is back at the start.
  const std::size_t lastDraw = child.shown.rfind('\r', child.shown.size() - 2);
  ASSERT_NE(lastDraw, std::string::npos);
  EXPECT_EQ(child.shown.back(), '\r');
  EXPECT_EQ(child.shown.find_first_not_of(' ', lastDraw + 1), child.shown.size() - 1) << child.shown;
}

// Folders d0..d(levels-1): each holds a file and two links to the next, so a
// walk meets 2^levels paths without any link leading back up. It is still
// walking long after any test has ended.
void MakeEndlessTree(const FixtureTree& tree, int levels) {
  for (int level = 0; level < levels; ++level) {
    const std::string folder = "d" + std::to_string(level);
    tree.File(folder + "/f", 1);
    if (level + 1 == levels) continue;
    const fs::path next = "../d" + std::to_string(level + 1);
    fs::create_directory_symlink(next, tree.root / folder / "a");
    fs::create_directory_symlink(next, tree.root / folder / "b");
  }
}

int Count(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST(ScanProgram, CtrlCEndsTheWalkPromptlyWithNoTable) {
  FixtureTree tree;
  MakeEndlessTree(tree, 30);
  Child child = Start({tree.root.string()}, Stream::kFile, Stream::kTerminal);
  // The second drawing of the progress line comes once rows are arriving.
  ASSERT_TRUE(ReadTerminalUntil(child, [](const std::string& shown) { return Count(shown, " files  ") >= 2; }))
      << child.shown;
  ASSERT_EQ(Count(child.shown, "\r0 files  "), 1) << "files were being counted: " << child.shown;
  const auto interrupted = Clock::now();
  kill(child.pid, SIGINT);
  const Output output = Finish(child);
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - interrupted);
  EXPECT_EQ(output.status, 130);
  EXPECT_EQ(output.out, "") << "no partial table";
  EXPECT_LT(took.count(), 2000) << "ended " << took.count() << " ms after Ctrl-C";
  EXPECT_EQ(child.shown.back(), '\r') << "the progress line is cleared";
}

TEST(ScanProgram, ProgressAtMostTenTimesASecond) {
  FixtureTree tree;
  MakeEndlessTree(tree, 30);
  Child child = Start({tree.root.string()}, Stream::kFile, Stream::kTerminal);
  ASSERT_TRUE(ReadTerminalUntil(child, [](const std::string& shown) { return !shown.empty(); }));
  const auto started = Clock::now();
  ReadTerminalUntil(
      child, [](const std::string&) { return false; }, std::chrono::milliseconds(1500));
  const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
  kill(child.pid, SIGINT);
  Finish(child);
  // Everything but the first drawing came within `seconds`.
  const int draws = Count(child.shown, " files  ") - 1;
  EXPECT_GE(draws, 3) << "the line moves while it walks";
  EXPECT_LE(draws, static_cast<int>(seconds * 10) + 1) << "in " << seconds << " s";
  // Each drawing fits an 80-column terminal and shows a folder of the tree,
  // cut at its start when it is too long.
  const std::string root = tree.root.string();
  std::istringstream drawings(child.shown);
  for (std::string line; std::getline(drawings, line, '\r');) {
    const std::size_t folder = line.find(" files  ");
    if (folder == std::string::npos) continue;
    EXPECT_LE(line.size(), 79u) << line;
    const std::string shown = line.substr(folder + 8);
    EXPECT_TRUE(shown.rfind(root, 0) == 0 || shown.rfind("...", 0) == 0) << line;
  }
}

}  // namespace
}  // namespace hm::test
