// The real program, started in its own process and driven as a user would:
// real key presses, a double click posted to the list, its windows and rows
// read from outside.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "tests/support/fixture_tree.h"
#include "tests/support/param_name.h"
#include "tests/support/program_driver.h"

namespace hm::test {
namespace {

// The long tree (MakeLongTree) keeps a scan busy long enough to be stopped
// in the middle of its walk: a full scan of it took 2.4 s here, while the
// stop lands about 50 ms after the start.

void TypeIntoPathEdit(const Program& program, const std::wstring& text) {
  HWND edit = program.Control(kPathEdit);
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  // What a click into the edit does: the dialog moves its focus there.
  PostMessageW(program.main(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
  ASSERT_TRUE(WaitUntil([&] { return program.Focus() == edit; })) << "the path edit never got the focus";
}

bool ScanRunning(const Program& program) {
  return program.Text(kFind) == L"Cancel" && !Visible(program.Control(kResultList));
}

// The end of a completed scan as the window shows it.
bool ScanCompleted(const Program& program, int rows) {
  return program.Text(kFind) == L"Find" && Visible(program.Control(kResultList)) && program.RowCount() == rows &&
         program.RowState(0, kSelectedAndFocused) == kSelectedAndFocused && program.Text(kStatusLine).empty();
}

struct FixtureFile {
  const char* relative;
  std::uint64_t size;
};

// Distinct sizes; one above 4 GiB exercises the high half (made sparse).
constexpr FixtureFile kScanFiles[] = {
    {"notes.txt", 10},    {"big.iso", 4294967296u},   {"sub/movie.mkv", 3000000},
    {"sub/empty.dat", 0}, {"sub/deeper/a.bin", 1536}, {"sub/deeper/edge.bin", 1048575},
};

struct ExpectedRow {
  const char* file;
  const char* folder;  // below the root; "" for the root itself
  const wchar_t* sizeText;
  const wchar_t* bytes;
};

constexpr ExpectedRow kLargestFirst[] = {
    {"big.iso", "", L"4.00 Gb", L"4294967296"},
    {"movie.mkv", "sub", L"2.86 Mb", L"3000000"},
    {"edge.bin", "sub/deeper", L"1024.00 Kb", L"1048575"},
    {"a.bin", "sub/deeper", L"1.50 Kb", L"1536"},
    {"notes.txt", "", L"10.00 Bt", L"10"},
    {"empty.dat", "sub", L"0.00 Bt", L"0"},
};
constexpr int kScanRows = static_cast<int>(sizeof(kLargestFirst) / sizeof(kLargestFirst[0]));

std::wstring Wide(const char* text) { return std::filesystem::u8path(text).wstring(); }

void MakeScanFixture(const FixtureTree& tree) {
  for (const FixtureFile& file : kScanFiles) tree.File(file.relative, file.size);
}

// Made once for the whole run, when a test first asks for it, and removed
// when the run ends.
std::unique_ptr<FixtureTree> longTree;

const FixtureTree& LongTree() {
  if (!longTree) {
    longTree = std::make_unique<FixtureTree>();
    EXPECT_TRUE(MakeLongTree(longTree->Text()));
  }
  return *longTree;
}

class LongTreeCleanup : public ::testing::Environment {
 public:
  void TearDown() override { longTree.reset(); }
};
::testing::Environment* const longTreeCleanup = ::testing::AddGlobalTestEnvironment(new LongTreeCleanup);

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearStoredSettings(); }
  void TearDown() override { ClearStoredSettings(); }

  // Starts a program and waits for its main window.
  static void Launch(Program& program) {
    ASSERT_TRUE(program.Start()) << "CreateProcessW failed for " << std::filesystem::path(ProgramPath()).string();
    ASSERT_NE(program.WaitForMainWindow(), nullptr) << "no main window appeared";
  }

  static void ScanTo(const Program& program, const std::wstring& root, int rows) {
    ASSERT_NO_FATAL_FAILURE(TypeIntoPathEdit(program, root));
    ASSERT_TRUE(program.PressKey(VK_RETURN));
    ASSERT_TRUE(WaitUntil([&] { return ScanCompleted(program, rows); }))
        << "button " << std::filesystem::path(program.Text(kFind)).string() << ", rows " << program.RowCount();
  }
};

// ---------------------------------------------------------------------------
// A fresh start: caption, focus, the controls of the template and the list's
// columns.

struct ControlLayout {
  int id;
  const wchar_t* className;
  const wchar_t* text;
  RECT units;  // left, top, width, height in dialog units
  LONG style;  // bits that must be set
  LONG typeMask;
  LONG type;
  bool bordered;
};

// Push buttons: the dialog moves the default-button look to the focused
// button, so the type may read BS_PUSHBUTTON or BS_DEFPUSHBUTTON (bit 0).
constexpr LONG kPushMask = BS_TYPEMASK & ~BS_DEFPUSHBUTTON;

// Template order, which is the order of the windows.
const ControlLayout kTemplate[] = {
    {1, L"Button", L"Find", {397, 7, 50, 14}, WS_TABSTOP, kPushMask, BS_PUSHBUTTON, false},
    {2, L"Button", L"Cancel", {397, 105, 50, 14}, WS_TABSTOP, kPushMask, BS_PUSHBUTTON, false},
    {1000,
     L"SysListView32",
     L"",
     {7, 36, 385, 231},
     WS_TABSTOP | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_ALIGNLEFT | LVS_NOSORTHEADER,
     LVS_TYPEMASK,
     LVS_REPORT,
     true},
    {-1, L"Static", L"Path:", {7, 9, 26, 10}, WS_GROUP, SS_TYPEMASK, SS_LEFT, false},
    {1001, L"Edit", L"", {35, 7, 176, 14}, WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, true},
    {3, L"Button", L"...", {217, 7, 21, 14}, WS_TABSTOP, kPushMask, BS_PUSHBUTTON, false},
    {1002, L"Static", L"", {7, 24, 383, 10}, WS_GROUP, SS_TYPEMASK, SS_SIMPLE, false},
    {4, L"Button", L"Explore", {397, 24, 50, 14}, WS_TABSTOP, kPushMask, BS_PUSHBUTTON, false},
    {5, L"Button", L"Help", {397, 41, 50, 14}, WS_TABSTOP, kPushMask, BS_PUSHBUTTON, false},
    {6, L"Button", L"About", {397, 59, 50, 14}, WS_TABSTOP, kPushMask, BS_PUSHBUTTON, false},
    {7, L"Button", L"Home page", {397, 76, 50, 14}, WS_TABSTOP, kPushMask, BS_PUSHBUTTON, false},
};

// Dialog units to pixels as the dialog manager converts them.
struct BaseUnits {
  int x;
  int y;
  RECT Pixels(const RECT& units) const {
    return {MulDiv(units.left, x, 4), MulDiv(units.top, y, 8), MulDiv(units.left, x, 4) + MulDiv(units.right, x, 4),
            MulDiv(units.top, y, 8) + MulDiv(units.bottom, y, 8)};
  }
};

// The one pair of base units that gives the client area of a 454 x 274 template.
bool FindBaseUnits(HWND dialog, BaseUnits& base) {
  RECT client{};
  GetClientRect(dialog, &client);
  int found = 0;
  for (int x = 1; x < 64; ++x) {
    for (int y = 1; y < 64; ++y) {
      if (MulDiv(454, x, 4) == client.right && MulDiv(274, y, 8) == client.bottom) {
        base = {x, y};
        ++found;
      }
    }
  }
  return found == 1;
}

TEST_F(ProgramTest, FreshStartShowsTheTemplateTitledFocusedOnFind) {
  Program program;
  ASSERT_TRUE(program.Start());
  // Every caption a visible window of the program shows until the main
  // window is there: the template's "Dialog" must never be seen.
  std::set<std::wstring> captions;
  HWND main = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    for (HWND window : program.TopLevelWindows()) {
      if (!Visible(window)) continue;
      captions.insert(WindowText(window));
      if (GetDlgItem(window, kResultList) != nullptr) main = window;
    }
    return main != nullptr;
  }));
  EXPECT_EQ(captions, std::set<std::wstring>{kTitle});
  ASSERT_EQ(program.WaitForMainWindow(), main);
  EXPECT_EQ(WindowText(main), kTitle);
  EXPECT_EQ(program.Focus(), program.Control(kFind));

  BaseUnits base{};
  ASSERT_TRUE(FindBaseUnits(main, base));
  std::vector<HWND> children;
  for (HWND child = GetWindow(main, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  ASSERT_EQ(children.size(), std::size(kTemplate));
  for (std::size_t index = 0; index < children.size(); ++index) {
    const ControlLayout& expected = kTemplate[index];
    HWND child = children[index];
    SCOPED_TRACE(testing::Message() << "control " << index << ", id " << expected.id);
    EXPECT_EQ(GetDlgCtrlID(child), expected.id);
    EXPECT_EQ(_wcsicmp(ClassName(child).c_str(), expected.className), 0)
        << std::filesystem::path(ClassName(child)).string();
    EXPECT_EQ(WindowText(child), expected.text);
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE | expected.style), WS_CHILD | WS_VISIBLE | expected.style);
    EXPECT_EQ(style & expected.typeMask, expected.type);
    // The edit and the list turn WS_BORDER into a sunken client edge.
    const LONG extended = GetWindowLongW(child, GWL_EXSTYLE);
    EXPECT_EQ((style & WS_BORDER) != 0 || (extended & WS_EX_CLIENTEDGE) != 0, expected.bordered);
    EXPECT_EQ(extended & ~WS_EX_NOPARENTNOTIFY & ~WS_EX_CLIENTEDGE, 0);
    RECT actual{};
    GetWindowRect(child, &actual);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&actual), 2);
    const RECT pixels = base.Pixels(expected.units);
    EXPECT_EQ(actual.left, pixels.left);
    EXPECT_EQ(actual.top, pixels.top);
    EXPECT_EQ(actual.right, pixels.right);
    EXPECT_EQ(actual.bottom, pixels.bottom);
  }

  // The tab order, walked with real Tab presses from "Find" round to it again.
  const int tabOrder[] = {2, kResultList, kPathEdit, 3, 4, 5, 6, 7, kFind};
  for (const int id : tabOrder) {
    ASSERT_TRUE(program.PressKey(VK_TAB));
    EXPECT_TRUE(WaitUntil([&] { return program.Focus() == program.Control(id); }))
        << "Tab did not move the focus to control " << id;
  }

  const std::vector<ListColumn> expectedColumns = {{L"File", 150, LVCFMT_LEFT},
                                                   {L"Path", 250, LVCFMT_LEFT},
                                                   {L"Size", 75, LVCFMT_RIGHT},
                                                   {L"Size in bites", 75, LVCFMT_RIGHT}};
  const std::vector<ListColumn> columns = program.Columns();
  ASSERT_EQ(columns.size(), expectedColumns.size());
  for (std::size_t index = 0; index < columns.size(); ++index) {
    EXPECT_EQ(columns[index].header, expectedColumns[index].header) << "column " << index;
    EXPECT_EQ(columns[index].width, expectedColumns[index].width) << "column " << index;
    EXPECT_EQ(columns[index].format, expectedColumns[index].format) << "column " << index;
  }
  EXPECT_EQ(SendMessageW(program.Control(kResultList), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0),
            LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  EXPECT_EQ(program.RowCount(), 0);
  EXPECT_TRUE(Visible(program.Control(kResultList)));
  EXPECT_EQ(program.Text(kPathEdit), L"") << "nothing is stored yet";
  EXPECT_EQ(program.Text(kStatusLine), L"");
}

// ---------------------------------------------------------------------------
// A scan started with Enter in the path edit, run to its end.

TEST_F(ProgramTest, EnterInPathEditScansTheTreeLargestFirst) {
  FixtureTree tree;
  MakeScanFixture(tree);
  Program program;
  ASSERT_NO_FATAL_FAILURE(Launch(program));
  ASSERT_NO_FATAL_FAILURE(ScanTo(program, tree.Text(), kScanRows));

  for (int row = 0; row < kScanRows; ++row) {
    const ExpectedRow& expected = kLargestFirst[row];
    SCOPED_TRACE(testing::Message() << "row " << row << ", " << expected.file);
    EXPECT_EQ(program.Cell(row, 0), Wide(expected.file));
    EXPECT_EQ(program.Cell(row, 1), *expected.folder == 0 ? tree.Text() : tree.Text(expected.folder));
    EXPECT_EQ(program.Cell(row, 2), expected.sizeText);
    EXPECT_EQ(program.Cell(row, 3), expected.bytes);
    EXPECT_EQ(program.RowState(row, kSelectedAndFocused), row == 0 ? kSelectedAndFocused : 0u);
  }
  EXPECT_EQ(program.Text(kFind), L"Find");
  EXPECT_EQ(program.Text(kStatusLine), L"");
  EXPECT_TRUE(Visible(program.Control(kResultList)));
  EXPECT_EQ(program.Text(kPathEdit), tree.Text()) << "the scan leaves the path as typed";
}

// ---------------------------------------------------------------------------
// Enter during a long scan stops it, and the stopped worker changes nothing.

TEST_F(ProgramTest, EnterAgainDuringALongScanStopsIt) {
  Program program;
  ASSERT_NO_FATAL_FAILURE(Launch(program));
  const std::set<DWORD> threadsBefore = program.ThreadIds();
  ASSERT_NO_FATAL_FAILURE(TypeIntoPathEdit(program, LongTree().Text()));
  const auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(program.PressKey(VK_RETURN));

  // Running: "Cancel", the list hidden, the status line inside the walk.
  const std::wstring root = LongTree().Text();
  ASSERT_TRUE(WaitUntil([&] { return ScanRunning(program) && program.Text(kStatusLine).rfind(root, 0) == 0; }));
  std::set<DWORD> workers;
  for (DWORD thread : program.ThreadIds()) {
    if (threadsBefore.count(thread) == 0) workers.insert(thread);
  }
  EXPECT_FALSE(workers.empty()) << "no worker thread seen while the scan runs";

  ASSERT_TRUE(program.PressKey(VK_RETURN));
  HWND list = program.Control(kResultList);
  ASSERT_TRUE(WaitUntil([&] { return program.Text(kFind) == L"Find" && Visible(list); }));
  const auto stopped = std::chrono::steady_clock::now();
  EXPECT_EQ(program.RowCount(), 0);
  EXPECT_EQ(program.Text(kStatusLine), L"");

  // Wait until the stopped worker has ended by itself, then once more for the
  // UI thread, so anything it had handed over has been dealt with.
  std::vector<HANDLE> handles;
  for (DWORD thread : workers) {
    if (HANDLE handle = OpenThread(SYNCHRONIZE, FALSE, thread)) handles.push_back(handle);
  }
  EXPECT_TRUE(WaitUntil([&] {
    for (HANDLE handle : handles) {
      if (WaitForSingleObject(handle, 0) != WAIT_OBJECT_0) return false;
    }
    return true;
  })) << "the stopped worker did not end";
  for (HANDLE handle : handles) CloseHandle(handle);
  ASSERT_TRUE(RoundTrip(program.main()));
  EXPECT_EQ(program.RowCount(), 0) << "rows arrived after the stop";
  EXPECT_EQ(program.Text(kFind), L"Find");
  EXPECT_EQ(program.Text(kStatusLine), L"");
  EXPECT_TRUE(Visible(list));
  RecordProperty("stop_after_ms",
                 static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(stopped - started).count()));
}

// ---------------------------------------------------------------------------
// Esc closes the program, idle or during a scan; the path shown is stored and
// shown again at the next start.

struct EscCase {
  const char* label;
  bool duringScan;
};

class EscTest : public ProgramTest, public ::testing::WithParamInterface<EscCase> {};

TEST_P(EscTest, ClosesWithExitCodeZeroAndStoresThePath) {
  const std::wstring root = LongTree().Text();
  {
    Program program;
    ASSERT_NO_FATAL_FAILURE(Launch(program));
    ASSERT_NO_FATAL_FAILURE(TypeIntoPathEdit(program, root));
    if (GetParam().duringScan) {
      ASSERT_TRUE(program.PressKey(VK_RETURN));
      ASSERT_TRUE(WaitUntil([&] { return ScanRunning(program); }));
    }
    ASSERT_TRUE(program.PressKey(VK_ESCAPE));
    DWORD exitCode = 1234;
    ASSERT_TRUE(program.WaitForExit(exitCode)) << "Esc did not end the program";
    EXPECT_EQ(exitCode, 0u);
  }
  const StoredValue stored = ReadStoredPath();
  ASSERT_TRUE(stored.exists);
  EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(stored.text, root);

  Program next;
  ASSERT_NO_FATAL_FAILURE(Launch(next));
  EXPECT_EQ(next.Text(kPathEdit), root);
}

INSTANTIATE_TEST_SUITE_P(Program, EscTest, ::testing::Values(EscCase{"Idle", false}, EscCase{"DuringScan", true}),
                         LabelName());

// ---------------------------------------------------------------------------
// A second start brings the first window forward and ends without a window.

struct SecondStartCase {
  const char* label;
  bool minimise;
};

class SecondStartTest : public ProgramTest, public ::testing::WithParamInterface<SecondStartCase> {};

// A plain window of the test's own that covers the screen and takes the
// foreground; gone again when the test ends, however it ends.
using OwnWindow = std::unique_ptr<std::remove_pointer_t<HWND>, decltype(&DestroyWindow)>;
OwnWindow MakeCoveringWindow() {
  return OwnWindow(CreateWindowExW(0, L"Static", L"cover", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1280, 800, nullptr,
                                   nullptr, GetModuleHandleW(nullptr), nullptr),
                   DestroyWindow);
}

TEST_P(SecondStartTest, BringsTheFirstWindowForwardAndEnds) {
  Program first;
  ASSERT_NO_FATAL_FAILURE(Launch(first));
  HWND main = first.main();
  RECT before{};
  GetWindowRect(main, &before);

  const OwnWindow covering = MakeCoveringWindow();
  HWND cover = covering.get();
  ASSERT_NE(cover, nullptr);
  ASSERT_TRUE(WaitUntil([&] {
    SetForegroundWindow(cover);
    return GetForegroundWindow() == cover;
  }));
  if (GetParam().minimise) {
    ShowWindow(main, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(main) != FALSE; }));
  }

  Program second;
  ASSERT_TRUE(second.Start());
  std::set<std::wstring> shown;  // captions of any window the second start shows
  ASSERT_TRUE(WaitUntil([&] {
    for (HWND window : second.TopLevelWindows()) {
      if (Visible(window)) shown.insert(WindowText(window));
    }
    return !second.Running();
  })) << "the second start did not end";
  DWORD exitCode = 1234;
  ASSERT_TRUE(second.WaitForExit(exitCode));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_TRUE(shown.empty()) << "the second start showed a window";

  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main && !IsIconic(main); }))
      << "foreground " << GetForegroundWindow() << " iconic " << IsIconic(main);
  RECT after{};
  GetWindowRect(main, &after);
  EXPECT_TRUE(EqualRect(&before, &after)) << "the window moved or changed size";
  EXPECT_TRUE(first.Running());
}

INSTANTIATE_TEST_SUITE_P(Program, SecondStartTest,
                         ::testing::Values(SecondStartCase{"BehindAnotherWindow", false},
                                           SecondStartCase{"Minimised", true}),
                         LabelName());

// ---------------------------------------------------------------------------
// A double click on the list runs command 4, which finds no row to show.

TEST_F(ProgramTest, DoubleClickOnTheEmptyListReportsNoItem) {
  Program program;
  ASSERT_NO_FATAL_FAILURE(Launch(program));
  HWND list = program.Control(kResultList);
  RECT client{};
  GetClientRect(list, &client);
  ASSERT_TRUE(program.DoubleClick(list, POINT{client.right / 2, client.bottom / 2}));

  HWND box = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    const std::vector<HWND> boxes = program.MessageBoxes();
    box = boxes.empty() ? nullptr : boxes.front();
    return box != nullptr;
  })) << "no message box appeared";
  EXPECT_EQ(WindowText(box), kTitle);
  EXPECT_EQ(MessageText(box), L"There is no item in listview!");
  EXPECT_EQ(GetWindow(box, GW_OWNER), program.main());

  ASSERT_TRUE(PostMessageW(box, WM_COMMAND, IDOK, 0));
  EXPECT_TRUE(WaitUntil([&] { return program.MessageBoxes().empty(); }));
  EXPECT_TRUE(program.Running());
  EXPECT_EQ(program.RowCount(), 0);
}

// ---------------------------------------------------------------------------
// A picture of the window after a completed scan, for the eye and the README.

TEST_F(ProgramTest, ScreenshotAfterAScan) {
  FixtureTree tree;
  MakeScanFixture(tree);
  Program program;
  ASSERT_NO_FATAL_FAILURE(Launch(program));
  ASSERT_NO_FATAL_FAILURE(ScanTo(program, tree.Text(), kScanRows));
  ASSERT_TRUE(program.BringForward());

  RECT window{};
  GetWindowRect(program.main(), &window);
  HWND list = program.Control(kResultList);
  // Text and button frames show as pixels darker than mid-grey on a light
  // face; the window is on the screen once every row and labelled control has
  // some.
  Picture picture;
  const auto hasText = [&](RECT area) {
    int dark = 0;
    for (int y = std::max(area.top, window.top); y < std::min(area.bottom, window.bottom); ++y) {
      for (int x = std::max(area.left, window.left); x < std::min(area.right, window.right); ++x) {
        const COLORREF colour = picture.At(x - window.left, y - window.top);
        if (GetRValue(colour) + GetGValue(colour) + GetBValue(colour) < 384) ++dark;
      }
    }
    return dark >= 4;  // "..." has six
  };
  struct Labelled {
    std::string name;
    RECT area;
  };
  std::vector<Labelled> labelled;
  for (HWND child = GetWindow(program.main(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    // The edit's text is shown selected, light on dark; it is read back elsewhere.
    const std::wstring kind = ClassName(child);
    if (_wcsicmp(kind.c_str(), L"SysListView32") == 0 || _wcsicmp(kind.c_str(), L"Edit") == 0 ||
        WindowText(child).empty()) {
      continue;
    }
    RECT area{};
    GetWindowRect(child, &area);
    labelled.push_back({"control " + std::to_string(GetDlgCtrlID(child)), area});
  }
  for (int row = 0; row < kScanRows; ++row) {
    RECT band{};
    ASSERT_TRUE(program.RowRect(row, band));
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&band), 2);
    labelled.push_back({"row " + std::to_string(row), band});
  }
  std::string missing;
  const auto allDrawn = [&] {
    missing.clear();
    if (!CaptureWindow(program.main(), picture)) return false;
    for (const Labelled& entry : labelled) {
      if (!hasText(entry.area)) missing += " " + entry.name;
    }
    return missing.empty();
  };
  const bool drawn = WaitUntil(allDrawn);

  // Saved either way, so that a failing run leaves the picture to look at.
  const std::wstring folder = ScreenshotFolder();
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring file = folder + L"\\main-after-scan.bmp";
  ASSERT_TRUE(SaveBmp(picture, file));
  EXPECT_TRUE(drawn) << "not on the screen:" << missing;
  std::printf("screenshot: %s\n", std::filesystem::path(file).string().c_str());
}

}  // namespace
}  // namespace hm::test
