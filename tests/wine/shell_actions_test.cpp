// The commands that hand work to the shell (the folder chooser, the file
// manager, the help file) and the About box, driven in the real program from
// another process. What the program starts is read from the new processes
// themselves.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/support/fixture_tree.h"
#include "tests/support/param_name.h"
#include "tests/support/program_driver.h"

namespace hm::test {
namespace {

void PostCommand(const Program& program, int id) {
  PostMessageW(program.main(), WM_COMMAND, static_cast<WPARAM>(id), 0);
}

// A click on a button; posted, as the handler may run a modal loop.
void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

std::wstring Lower(std::wstring text) {
  for (wchar_t& unit : text) unit = static_cast<wchar_t>(towlower(unit));
  return text;
}

std::string Narrow(const std::wstring& text) { return std::filesystem::path(text).u8string(); }

// The one dialog window of the program besides the main window.
HWND WaitForOtherDialog(const Program& program) {
  HWND found = nullptr;
  WaitUntil([&] {
    const std::vector<HWND> boxes = program.MessageBoxes();
    found = boxes.size() == 1 ? boxes.front() : nullptr;
    return found != nullptr;
  });
  return found;
}

HWND ChildOfClass(HWND parent, const wchar_t* className) {
  for (HWND child = FindWindowExW(parent, nullptr, nullptr, nullptr); child != nullptr;
       child = FindWindowExW(parent, child, nullptr, nullptr)) {
    if (_wcsicmp(ClassName(child).c_str(), className) == 0) return child;
    if (HWND inner = ChildOfClass(child, className)) return inner;
  }
  return nullptr;
}

HWND ChildWithText(HWND parent, const std::wstring& text) {
  for (HWND child = FindWindowExW(parent, nullptr, nullptr, nullptr); child != nullptr;
       child = FindWindowExW(parent, child, nullptr, nullptr)) {
    if (WindowText(child) == text) return child;
    if (HWND inner = ChildWithText(child, text)) return inner;
  }
  return nullptr;
}

// Processes of one image name that appear after this is made; whatever of
// them still runs is ended with it.
class NewProcesses {
 public:
  explicit NewProcesses(const wchar_t* name) : name_(name), before_(ProcessIds(name)) {}
  ~NewProcesses() { EndProcesses(Now()); }
  NewProcesses(const NewProcesses&) = delete;
  NewProcesses& operator=(const NewProcesses&) = delete;

  std::set<DWORD> Now() const {
    std::set<DWORD> added;
    for (DWORD id : ProcessIds(name_)) {
      if (before_.count(id) == 0) added.insert(id);
    }
    return added;
  }

  // Command lines of the new processes, once each can be read.
  bool WaitForCommandLines(std::vector<std::wstring>& lines) const {
    return WaitUntil([&] {
      lines.clear();
      for (DWORD id : Now()) {
        const std::wstring line = ProcessCommandLine(id);
        if (line.empty()) return false;
        lines.push_back(line);
      }
      return !lines.empty();
    });
  }

 private:
  const wchar_t* name_;
  std::set<DWORD> before_;
};

// The parameters of a command line after its program name, which may be
// quoted.
bool SplitCommandLine(const std::wstring& line, std::wstring& program, std::wstring& parameters) {
  std::size_t end = 0;
  if (!line.empty() && line[0] == L'"') {
    end = line.find(L'"', 1);
    if (end == std::wstring::npos) return false;
    program = line.substr(1, end - 1);
    ++end;
  } else {
    end = std::min(line.find(L' '), line.size());
    program = line.substr(0, end);
  }
  if (end < line.size() && line[end] != L' ') return false;
  parameters = end < line.size() ? line.substr(end + 1) : std::wstring();
  return true;
}

std::wstring BaseName(const std::wstring& path) { return path.substr(path.find_last_of(L"\\/") + 1); }

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearStoredSettings(); }
  void TearDown() override { ClearStoredSettings(); }

  static void Launch(Program& program) {
    ASSERT_TRUE(program.Start()) << "CreateProcessW failed for " << Narrow(ProgramPath());
    ASSERT_NE(program.WaitForMainWindow(), nullptr) << "no main window appeared";
  }

  static void StartScan(const Program& program, const std::wstring& root) {
    SendMessageW(program.Control(kPathEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(root.c_str()));
    Click(program.Control(kFind));
    ASSERT_TRUE(WaitUntil([&] { return program.Text(kFind) == L"Cancel"; })) << "the scan did not start";
  }

  static bool ScanCompleted(const Program& program, int rows) {
    return program.Text(kFind) == L"Find" && Visible(program.Control(kResultList)) && program.RowCount() == rows;
  }

  static void ScanTo(const Program& program, const std::wstring& root, int rows) {
    ASSERT_NO_FATAL_FAILURE(StartScan(program, root));
    ASSERT_TRUE(WaitUntil([&] { return ScanCompleted(program, rows); }))
        << "button " << Narrow(program.Text(kFind)) << ", rows " << program.RowCount();
    ASSERT_EQ(program.RowState(0, kSelectedAndFocused), kSelectedAndFocused);
  }
};

// ---------------------------------------------------------------------------
// "Explore" without a row to show: one of two notices, owned by the list.

enum class Emptying { kNoScan, kClickBelowTheRows, kUnfocusRow0, kDeselectAll };

struct NoticeCase {
  const char* label;
  Emptying emptying;
  bool byButton;  // else a posted command
  const wchar_t* text;
};

class ExploreNoticeTest : public ShellTest, public ::testing::WithParamInterface<NoticeCase> {};

TEST_P(ExploreNoticeTest, ShowsTheNoticeOwnedByTheList) {
  const NoticeCase& param = GetParam();
  FixtureTree tree;
  tree.File("one.bin", 100);
  tree.File("two.bin", 200);
  Program program;
  ASSERT_NO_FATAL_FAILURE(Launch(program));
  HWND list = program.Control(kResultList);
  switch (param.emptying) {
    case Emptying::kNoScan:
      break;
    case Emptying::kClickBelowTheRows: {
      ASSERT_NO_FATAL_FAILURE(ScanTo(program, tree.Text(), 2));
      RECT last{};
      RECT client{};
      ASSERT_TRUE(program.RowRect(1, last));
      GetClientRect(list, &client);
      ASSERT_LT(last.bottom + 10, client.bottom) << "no empty space below the rows";
      const LPARAM below = MAKELPARAM(client.right / 4, (last.bottom + client.bottom) / 2);
      PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, below);
      PostMessageW(list, WM_LBUTTONUP, 0, below);
      break;
    }
    case Emptying::kUnfocusRow0:
      ASSERT_NO_FATAL_FAILURE(ScanTo(program, tree.Text(), 2));
      ASSERT_TRUE(program.SetRowState(0, 0, LVIS_FOCUSED));
      break;
    case Emptying::kDeselectAll:
      ASSERT_NO_FATAL_FAILURE(ScanTo(program, tree.Text(), 2));
      ASSERT_TRUE(program.SetRowState(-1, 0, LVIS_SELECTED));
      break;
  }
  if (param.emptying != Emptying::kNoScan) {
    ASSERT_TRUE(WaitUntil([&] {
      return program.RowState(0, kSelectedAndFocused) != kSelectedAndFocused &&
             program.RowState(1, kSelectedAndFocused) != kSelectedAndFocused;
    })) << "a row is still selected and focused";
  }

  // The box's owner as the program names it: a message box owned by a child
  // window is owned by that window's top-level window, so only the call shows
  // which window the program passed.
  CallWatch messageBox(program, L"user32.dll", "MessageBoxW");
  std::string why;
  ASSERT_TRUE(messageBox.Armed(why)) << why;
  if (param.byButton) {
    Click(program.Control(kExplore));
  } else {
    PostCommand(program, kExplore);
  }
  ASSERT_TRUE(messageBox.WaitForCall()) << "MessageBoxW was not called";
  EXPECT_EQ(reinterpret_cast<HWND>(messageBox.Argument(0)), list) << "owner passed to MessageBoxW";

  HWND box = WaitForOtherDialog(program);
  ASSERT_NE(box, nullptr) << "no message box appeared";
  EXPECT_EQ(WindowText(box), kTitle);
  EXPECT_EQ(MessageText(box), param.text);
  EXPECT_EQ(GetWindow(box, GW_OWNER), program.main());
  EXPECT_FALSE(IsWindowEnabled(program.main()));

  ASSERT_TRUE(PostMessageW(box, WM_COMMAND, IDOK, 0));
  EXPECT_TRUE(WaitUntil([&] { return program.MessageBoxes().empty() && IsWindowEnabled(program.main()); }));
  EXPECT_TRUE(program.Running());
}

INSTANTIATE_TEST_SUITE_P(
    Shell, ExploreNoticeTest,
    ::testing::Values(NoticeCase{"EmptyTableByButton", Emptying::kNoScan, true, L"There is no item in listview!"},
                      NoticeCase{"EmptyTableByCommand", Emptying::kNoScan, false, L"There is no item in listview!"},
                      NoticeCase{"ClickBelowTheRows", Emptying::kClickBelowTheRows, true, L"Please select a line!"},
                      NoticeCase{"SelectedRowNotFocused", Emptying::kUnfocusRow0, false, L"Please select a line!"},
                      NoticeCase{"FocusedRowNotSelected", Emptying::kDeselectAll, false, L"Please select a line!"}),
    LabelName());

// ---------------------------------------------------------------------------
// "Explore" and a double click start the file manager on the row's file.

struct LaunchCase {
  const char* label;
  bool doubleClick;  // else the "Explore" button on row 0
  int row;
  const char* file;
  const char* folder;  // below the fixture's root; "" for the root itself
};

class ExploreLaunchTest : public ShellTest, public ::testing::WithParamInterface<LaunchCase> {};

TEST_P(ExploreLaunchTest, StartsExplorerSelectingTheFile) {
  const LaunchCase& param = GetParam();
  FixtureTree tree;
  tree.File("largest.iso", 5000000);
  tree.File("sub/middle.bin", 40000);
  tree.File("sub/deeper/small.txt", 300);
  Program program;
  ASSERT_NO_FATAL_FAILURE(Launch(program));
  ASSERT_NO_FATAL_FAILURE(ScanTo(program, tree.Text(), 3));
  const std::wstring folder = *param.folder == 0 ? tree.Text() : tree.Text(param.folder);
  ASSERT_EQ(program.Cell(param.row, 0), std::filesystem::u8path(param.file).wstring());
  ASSERT_EQ(program.Cell(param.row, 1), folder);
  ASSERT_NE(folder.back(), L'\\') << "the case wants a folder cell without a trailing separator";

  const NewProcesses explorers(L"explorer.exe");
  HWND list = program.Control(kResultList);
  if (param.doubleClick) {
    RECT band{};
    ASSERT_TRUE(program.RowRect(param.row, band));
    const POINT middle{(band.left + band.right) / 2, (band.top + band.bottom) / 2};
    // The first click of a double click selects the row.
    const LPARAM where = MAKELPARAM(middle.x, middle.y);
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, where);
    PostMessageW(list, WM_LBUTTONUP, 0, where);
    ASSERT_TRUE(WaitUntil([&] { return program.RowState(param.row, kSelectedAndFocused) == kSelectedAndFocused; }));
    ASSERT_TRUE(program.DoubleClick(list, middle));
  } else {
    Click(program.Control(kExplore));
  }

  std::vector<std::wstring> lines;
  ASSERT_TRUE(explorers.WaitForCommandLines(lines)) << "no file manager was started";
  ASSERT_EQ(lines.size(), 1u);
  std::wstring started;
  std::wstring parameters;
  ASSERT_TRUE(SplitCommandLine(lines[0], started, parameters)) << Narrow(lines[0]);
  EXPECT_EQ(Lower(BaseName(started)), L"explorer.exe") << Narrow(lines[0]);
  EXPECT_EQ(parameters, L"/select, " + folder + L"\\" + program.Cell(param.row, 0)) << Narrow(lines[0]);
  EXPECT_TRUE(program.MessageBoxes().empty());
  EXPECT_TRUE(program.Running());
}

INSTANTIATE_TEST_SUITE_P(Shell, ExploreLaunchTest,
                         ::testing::Values(LaunchCase{"ExploreButtonOnRow0", false, 0, "largest.iso", ""},
                                           LaunchCase{"DoubleClickOnRow1", true, 1, "middle.bin", "sub"},
                                           LaunchCase{"DoubleClickOnRow2", true, 2, "small.txt", "sub/deeper"}),
                         LabelName());

// ---------------------------------------------------------------------------
// "..." opens the folder chooser on the edit's folder; Cancel keeps the edit,
// OK puts the chosen folder into it.

struct ChooserCase {
  const char* label;
  int button;  // IDOK or IDCANCEL of the chooser
};

class ChooserTest : public ShellTest, public ::testing::WithParamInterface<ChooserCase> {};

// Folders made directly on drive C:, removed again at the end. Below the
// user's profile the first chooser of a fresh prefix now and then stopped at
// the profile folder instead of the preselected one.
class DriveFolder {
 public:
  explicit DriveFolder(const std::wstring& name)
      : root_(L"C:\\" + name + L"-" + std::to_wstring(GetCurrentProcessId())) {
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ / L"chosen-parent" / L"preselected-leaf");
  }
  ~DriveFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  DriveFolder(const DriveFolder&) = delete;
  DriveFolder& operator=(const DriveFolder&) = delete;
  std::wstring Text(const wchar_t* relative) const { return (root_ / relative).wstring(); }

 private:
  std::filesystem::path root_;
};

TEST_P(ChooserTest, OpensOnTheEditsFolderAndAppliesOnlyOk) {
  const DriveFolder tree(L"hulkmeter-chooser");
  const std::wstring preselected = tree.Text(L"chosen-parent\\preselected-leaf");
  const std::wstring parent = tree.Text(L"chosen-parent");
  Program program;
  ASSERT_NO_FATAL_FAILURE(Launch(program));
  HWND edit = program.Control(kPathEdit);
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(preselected.c_str()));

  // Wine's chooser now and then settles on another folder after the program's
  // preselection (the request itself is checked exactly in
  // ChooserIsAskedForTheEditsFolder). Such a chooser is cancelled, which must
  // leave the edit as it was, and opened again.
  HWND chooser = nullptr;
  HWND folders = nullptr;
  HWND name = nullptr;
  HTREEITEM above = nullptr;
  bool landed = false;
  for (int attempt = 0; attempt < 5 && !landed; ++attempt) {
    Click(program.Control(kBrowse));
    chooser = WaitForOtherDialog(program);
    ASSERT_NE(chooser, nullptr) << "no folder chooser appeared";
    EXPECT_NE(ChildWithText(chooser, L"Destination folder"), nullptr) << "the chooser's title text";
    EXPECT_EQ(GetWindow(chooser, GW_OWNER), program.main());
    EXPECT_FALSE(IsWindowEnabled(program.main()));
    folders = ChildOfClass(chooser, L"SysTreeView32");
    name = ChildOfClass(chooser, L"Edit");
    ASSERT_NE(folders, nullptr);
    ASSERT_NE(name, nullptr);
    landed = WaitUntil(
        [&] {
          HTREEITEM selected = TreeView_GetSelection(folders);
          above = selected != nullptr ? TreeView_GetParent(folders, selected) : nullptr;
          return selected != nullptr && above != nullptr &&
                 program.TreeItemText(folders, selected) == L"preselected-leaf" &&
                 program.TreeItemText(folders, above) == L"chosen-parent" && WindowText(name) == L"preselected-leaf";
        },
        std::chrono::milliseconds(5000));
    if (!landed) {
      Click(GetDlgItem(chooser, IDCANCEL));
      ASSERT_TRUE(WaitUntil([&] { return !IsWindow(chooser) && IsWindowEnabled(program.main()); }));
      ASSERT_EQ(program.Text(kPathEdit), preselected) << "a cancelled chooser changed the edit";
    }
  }
  ASSERT_TRUE(landed) << "the chooser never showed the edit's folder in five openings";

  // The user moves to the parent folder, then leaves with OK or Cancel.
  TreeView_SelectItem(folders, above);
  ASSERT_TRUE(WaitUntil([&] { return WindowText(name) == L"chosen-parent"; }));
  Click(GetDlgItem(chooser, GetParam().button));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(chooser) && IsWindowEnabled(program.main()); }))
      << "the chooser did not close";
  EXPECT_EQ(program.Text(kPathEdit), GetParam().button == IDOK ? parent : preselected);
  EXPECT_TRUE(program.MessageBoxes().empty());
}

// What the program asks of the chooser, read from the call itself: its owner,
// no root, the title, flags 0x51, a callback, and the edit's text as the
// folder to open on.
std::wstring RemoteText(HANDLE process, std::uintptr_t address) {
  wchar_t text[300] = {};
  SIZE_T read = 0;
  ReadProcessMemory(process, reinterpret_cast<LPCVOID>(address), text, sizeof text - sizeof(wchar_t), &read);
  return text;
}

TEST_F(ShellTest, ChooserIsAskedForTheEditsFolder) {
  Program program;
  ASSERT_NO_FATAL_FAILURE(Launch(program));
  const std::wstring typed = L"C:\\some folder\\that need not exist";
  SendMessageW(program.Control(kPathEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
  // The watch finds the function at the address this process has for it.
  ASSERT_NE(LoadLibraryW(L"shell32.dll"), nullptr);
  CallWatch chooserCall(program, L"shell32.dll", "SHBrowseForFolderW");
  std::string why;
  ASSERT_TRUE(chooserCall.Armed(why)) << why;
  Click(program.Control(kBrowse));
  ASSERT_TRUE(chooserCall.WaitForCall()) << "SHBrowseForFolderW was not called";

  HANDLE process = OpenProcess(PROCESS_VM_READ | PROCESS_QUERY_INFORMATION, FALSE, program.id());
  ASSERT_NE(process, nullptr);
  BROWSEINFOW settings{};
  SIZE_T read = 0;
  ASSERT_TRUE(ReadProcessMemory(process, reinterpret_cast<LPCVOID>(chooserCall.Argument(0)), &settings, sizeof settings,
                                &read));
  EXPECT_EQ(settings.hwndOwner, program.main());
  EXPECT_EQ(settings.pidlRoot, nullptr);
  EXPECT_EQ(settings.pszDisplayName, nullptr);
  EXPECT_EQ(settings.ulFlags, 0x51u);
  EXPECT_NE(settings.lpfn, nullptr);
  EXPECT_EQ(RemoteText(process, reinterpret_cast<std::uintptr_t>(settings.lpszTitle)), L"Destination folder");
  EXPECT_EQ(RemoteText(process, static_cast<std::uintptr_t>(settings.lParam)), typed);
  CloseHandle(process);

  HWND chooser = WaitForOtherDialog(program);
  ASSERT_NE(chooser, nullptr) << "no folder chooser appeared";
  Click(GetDlgItem(chooser, IDCANCEL));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(chooser) && IsWindowEnabled(program.main()); }));
  EXPECT_EQ(program.Text(kPathEdit), typed);
}

INSTANTIATE_TEST_SUITE_P(Shell, ChooserTest,
                         ::testing::Values(ChooserCase{"Ok", IDOK}, ChooserCase{"Cancel", IDCANCEL}), LabelName());

// ---------------------------------------------------------------------------
// "About": the three lines and the logo, modal, closed by OK, Enter or Esc.

constexpr int kAboutName = 1003;
constexpr int kAboutAuthor = 1004;
constexpr int kAboutRights = 1005;

std::wstring ProgramString(UINT id) {
  HMODULE file = LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  wchar_t text[260] = {};
  if (file != nullptr) {
    LoadStringW(file, id, text, 260);
    FreeLibrary(file);
  }
  return text;
}

HWND WaitForAboutBox(const Program& program) {
  Click(program.Control(kAbout));
  HWND about = WaitForOtherDialog(program);
  if (about != nullptr && WindowText(about) != L"About") return nullptr;
  return about;
}

HWND LogoOf(HWND about) {
  for (HWND child = GetWindow(about, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (_wcsicmp(ClassName(child).c_str(), L"Static") == 0 &&
        (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) {
      return child;
    }
  }
  return nullptr;
}

// Share of the logo's pixels that differ from the dialog's face colour.
double PaintedShare(HWND logo) {
  Picture picture;
  if (!CaptureWindow(logo, picture) || picture.width == 0 || picture.height == 0) return 0;
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  int painted = 0;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) painted += picture.At(x, y) != face ? 1 : 0;
  }
  return static_cast<double>(painted) / (picture.width * picture.height);
}

enum class AboutClose { kOkButton, kEnter, kEsc };

struct AboutCase {
  const char* label;
  AboutClose close;
};

class AboutTest : public ShellTest, public ::testing::WithParamInterface<AboutCase> {};

void CloseAbout(const Program& program, HWND about, AboutClose how) {
  switch (how) {
    case AboutClose::kOkButton:
      Click(GetDlgItem(about, IDOK));
      break;
    case AboutClose::kEnter:
      ASSERT_TRUE(program.PressKey(VK_RETURN, about));
      break;
    case AboutClose::kEsc:
      ASSERT_TRUE(program.PressKey(VK_ESCAPE, about));
      break;
  }
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about) && IsWindowEnabled(program.main()); }))
      << "the About box did not close";
}

TEST_P(AboutTest, ShowsTheLinesAndTheLogoAndCloses) {
  const std::wstring author = ProgramString(kAboutAuthor);
  const std::wstring rights = ProgramString(kAboutRights);
  ASSERT_FALSE(author.empty());
  ASSERT_FALSE(rights.empty());
  Program program;
  ASSERT_NO_FATAL_FAILURE(Launch(program));
  HWND about = WaitForAboutBox(program);
  ASSERT_NE(about, nullptr) << "no About box appeared";

  EXPECT_EQ(WindowText(GetDlgItem(about, kAboutName)), L"Hulkmeter version 1.0");
  EXPECT_EQ(WindowText(GetDlgItem(about, kAboutAuthor)), author);
  EXPECT_EQ(WindowText(GetDlgItem(about, kAboutRights)), rights);
  EXPECT_EQ(GetWindow(about, GW_OWNER), program.main());
  EXPECT_FALSE(IsWindowEnabled(program.main())) << "the main window takes input while the box is open";
  HWND logo = LogoOf(about);
  ASSERT_NE(logo, nullptr) << "no bitmap static";
  EXPECT_NE(SendMessageW(logo, STM_GETIMAGE, IMAGE_BITMAP, 0), 0) << "the logo static holds no bitmap";
  double share = 0;
  EXPECT_TRUE(WaitUntil([&] { return (share = PaintedShare(logo)) > 0.2; })) << "painted share " << share;

  ASSERT_NO_FATAL_FAILURE(CloseAbout(program, about, GetParam().close));
  EXPECT_TRUE(program.Running());
  EXPECT_TRUE(program.MessageBoxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Shell, AboutTest,
                         ::testing::Values(AboutCase{"OkButton", AboutClose::kOkButton},
                                           AboutCase{"EnterKey", AboutClose::kEnter},
                                           AboutCase{"EscKey", AboutClose::kEsc}),
                         LabelName());

TEST_F(ShellTest, ScanStartedBeforeAboutCompletesBeneathIt) {
  FixtureTree tree;
  ASSERT_TRUE(MakeLongTree(tree.Text()));
  Program program;
  ASSERT_NO_FATAL_FAILURE(Launch(program));
  ASSERT_NO_FATAL_FAILURE(StartScan(program, tree.Text()));
  HWND about = WaitForAboutBox(program);
  ASSERT_NE(about, nullptr) << "no About box appeared";
  ASSERT_EQ(program.Text(kFind), L"Cancel") << "the scan ended before the box opened; the tree is too small";

  EXPECT_TRUE(WaitUntil([&] { return ScanCompleted(program, kLongTreeFolders); }))
      << "button " << Narrow(program.Text(kFind)) << ", rows " << program.RowCount();
  EXPECT_TRUE(IsWindow(about) && Visible(about)) << "the box closed during the scan";
  EXPECT_FALSE(IsWindowEnabled(program.main()));
  ASSERT_NO_FATAL_FAILURE(CloseAbout(program, about, AboutClose::kEsc));
  EXPECT_EQ(program.RowState(0, kSelectedAndFocused), kSelectedAndFocused);
}

// ---------------------------------------------------------------------------
// "Help" opens the help file of the current folder; a missing one is not
// reported.

std::vector<HWND> VisibleWindowsOf(const std::set<DWORD>& processes) {
  std::vector<HWND> windows;
  for (HWND window = GetTopWindow(nullptr); window != nullptr; window = GetWindow(window, GW_HWNDNEXT)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (processes.count(owner) != 0 && Visible(window)) windows.push_back(window);
  }
  return windows;
}

TEST_F(ShellTest, HelpOpensTheHelpFileOfTheCurrentFolder) {
  const std::wstring programFolder = ProgramPath().substr(0, ProgramPath().find_last_of(L'\\'));
  const std::wstring helpFile = programFolder + L"\\hulkmeter.chm";
  ASSERT_NE(GetFileAttributesW(helpFile.c_str()), INVALID_FILE_ATTRIBUTES) << "the build put no help file there";
  const NewProcesses viewers(L"hh.exe");
  Program program;
  ASSERT_NO_FATAL_FAILURE(Launch(program));  // its current folder is its own
  PostCommand(program, kHelp);

  std::vector<std::wstring> lines;
  ASSERT_TRUE(viewers.WaitForCommandLines(lines)) << "no help viewer was started";
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(Lower(lines[0]).find(Lower(helpFile)), std::wstring::npos) << Narrow(lines[0]);
  EXPECT_TRUE(WaitUntil([&] { return !VisibleWindowsOf(viewers.Now()).empty(); })) << "no help window appeared";
  EXPECT_TRUE(program.MessageBoxes().empty());
}

TEST_F(ShellTest, MissingHelpFileIsNotReported) {
  // A copy of the program in a folder without the help file: the shell also
  // looks beside the program, so the built one would still find its help.
  FixtureTree elsewhere;
  const std::wstring copy = elsewhere.Text() + L"\\hulkmeter.exe";
  ASSERT_TRUE(CopyFileW(ProgramPath().c_str(), copy.c_str(), TRUE));
  const NewProcesses viewers(L"hh.exe");
  Program program;
  ASSERT_TRUE(program.Start(elsewhere.Text(), copy));
  ASSERT_NE(program.WaitForMainWindow(), nullptr) << "no main window appeared";
  // Sent, so the command has run to its end when the call returns; a box of
  // the program's would hold it open.
  DWORD_PTR ignored = 0;
  EXPECT_NE(SendMessageTimeoutW(program.main(), WM_COMMAND, kHelp, 0, SMTO_NORMAL, 10000, &ignored), 0)
      << "the command did not return";
  std::vector<std::wstring> captions;
  for (HWND window : program.TopLevelWindows()) {
    if (window != program.main() && Visible(window)) captions.push_back(WindowText(window));
  }
  EXPECT_TRUE(captions.empty()) << "a window of the program's process: " << Narrow(captions.front()) << " / "
                                << Narrow(MessageText(program.MessageBoxes().empty() ? nullptr
                                                                                     : program.MessageBoxes().front()));
  EXPECT_TRUE(viewers.Now().empty()) << "a help viewer was started";
  EXPECT_TRUE(IsWindowEnabled(program.main()));
}

}  // namespace
}  // namespace hm::test
