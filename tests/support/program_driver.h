// Starts the built program in its own process and drives it from the test's
// process as a user would: its windows are found by process, texts are read
// with marshalled window messages, list rows through memory placed in the
// program, keys go in as real input.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <commctrl.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace hm::test {

// The program's caption and the ids of the main window's controls (the
// resource check pins the same ids in the built file).
constexpr wchar_t kTitle[] = L"Hulkmeter";
constexpr int kFind = 1;
constexpr int kClose = 2;
constexpr int kBrowse = 3;
constexpr int kExplore = 4;
constexpr int kHelp = 5;
constexpr int kAbout = 6;
constexpr int kResultList = 1000;
constexpr int kPathEdit = 1001;
constexpr int kStatusLine = 1002;
constexpr UINT kSelectedAndFocused = LVIS_SELECTED | LVIS_FOCUSED;

inline bool Visible(HWND window) { return IsWindowVisible(window) != FALSE; }

// Long enough for a loaded machine; conditions are polled, never slept on.
constexpr std::chrono::milliseconds kPatience{20000};

// Polls `condition` until it holds or `timeout` passes, handling this
// thread's own messages in between. True when the condition held.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = kPatience);

std::wstring WindowText(HWND window);

// The window's thread has handled everything sent to it before this returns.
bool RoundTrip(HWND window);

// A tree whose scan lasts a few seconds under Wine: 1,500 folders on two
// levels (so no folder holds thousands of names), one file each, made with
// the plain file calls, which are several times faster there than the
// library's. False when a folder or file could not be made.
constexpr int kLongTreeFolders = 1500;
bool MakeLongTree(const std::wstring& root);
std::wstring ClassName(HWND window);
// The longest static text of a message box: its message.
std::wstring MessageText(HWND box);

// The program next to the test's build folder, and the folder that receives
// screenshots (both found from this test program's own path).
std::wstring ProgramPath();
std::wstring ScreenshotFolder();

// The program's settings key, HKEY_CURRENT_USER\SOFTWARE\Tovarik\Hulkmeter.
extern const wchar_t kSettingsKey[];
void ClearStoredSettings();
struct StoredValue {
  bool exists = false;
  DWORD type = REG_NONE;
  std::wstring text;
};
StoredValue ReadStoredPath();

struct ListColumn {
  std::wstring header;
  int width = 0;
  int format = 0;
};

// One run of the program. The destructor ends a program that still runs, so
// no test leaves a process behind.
class Program {
 public:
  Program() = default;
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // `currentFolder` empty: the program's own folder; `program` empty: the
  // built program.
  bool Start(const std::wstring& currentFolder = {}, const std::wstring& program = {});
  // The visible top-level window captioned "Hulkmeter" of this process.
  HWND WaitForMainWindow();
  HWND main() const { return main_; }
  DWORD id() const { return info_.dwProcessId; }
  bool Running() const;
  // False when the process did not end in time.
  bool WaitForExit(DWORD& exitCode, std::chrono::milliseconds timeout = kPatience);
  void Terminate();

  HWND Control(int id) const;
  std::wstring Text(int id) const;
  HWND Focus() const;
  // Every top-level window of this process, visible or not.
  std::vector<HWND> TopLevelWindows() const;
  // Visible dialog-class windows of this process other than the main window.
  std::vector<HWND> MessageBoxes() const;
  std::set<DWORD> ThreadIds() const;

  // The result list (control 1000), read through memory in the program.
  int RowCount() const;
  std::wstring Cell(int row, int column) const;
  UINT RowState(int row, UINT mask) const;
  bool RowRect(int row, RECT& rect) const;
  std::vector<ListColumn> Columns() const;
  // The text of an item of a tree view of the program (the folder chooser's).
  std::wstring TreeItemText(HWND tree, HTREEITEM item) const;
  // LVM_SETITEMSTATE on one row, or on every row with row -1.
  bool SetRowState(int row, UINT state, UINT mask) const;

  // Input: the main window is brought to the foreground first. Keys are
  // real key presses; the double click is posted to the control.
  bool BringForward(HWND window = nullptr) const;
  // `window` null: the main window.
  bool PressKey(WORD key, HWND window = nullptr) const;
  bool DoubleClick(HWND window, POINT client) const;

 private:
  PROCESS_INFORMATION info_{};
  HWND main_ = nullptr;
};

// Processes of the session whose image file is named `name` (any case).
std::set<DWORD> ProcessIds(const wchar_t* name);
// The command line a process was started with, read from its PEB; empty when
// it cannot be read (yet).
std::wstring ProcessCommandLine(DWORD process);
// Ends each process given; true when all of them have ended.
bool EndProcesses(const std::set<DWORD>& processes);

// Attaches to the program as a debugger does and catches its first call of
// one exported function (a breakpoint at its entry), to read the arguments
// the program passed. Detaches again without ending the program.
class CallWatch {
 public:
  CallWatch(const Program& program, const wchar_t* module, const char* function);
  ~CallWatch();
  CallWatch(const CallWatch&) = delete;
  CallWatch& operator=(const CallWatch&) = delete;

  // False with the reason when the breakpoint could not be set.
  bool Armed(std::string& why) const;
  // Runs the program's debug events until the call arrives; the program then
  // goes on with the call, detached.
  bool WaitForCall(std::chrono::milliseconds timeout = kPatience);
  // Argument `index` (0 to 3) of the caught call.
  std::uintptr_t Argument(int index) const { return arguments_[index]; }

 private:
  bool Continue(const DEBUG_EVENT& event, DWORD status);
  void Detach();

  DWORD process_id_ = 0;
  HANDLE process_ = nullptr;
  bool attached_ = false;
  bool armed_ = false;
  std::string why_;
  std::uintptr_t address_ = 0;
  std::uint8_t original_ = 0;
  std::uintptr_t arguments_[4] = {};
};

// Copies the window's screen rectangle from the desktop into a 24-bit
// picture, rows bottom-up as a BMP file holds them.
struct Picture {
  int width = 0;
  int height = 0;
  int stride = 0;
  std::vector<std::uint8_t> bits;  // blue, green, red per pixel

  COLORREF At(int x, int y) const;  // y counts from the top
};
bool CaptureWindow(HWND window, Picture& picture);
bool SaveBmp(const Picture& picture, const std::wstring& path);

}  // namespace hm::test
