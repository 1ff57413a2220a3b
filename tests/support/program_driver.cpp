#include "tests/support/program_driver.h"

#include <commctrl.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

namespace hm::test {
namespace {

constexpr wchar_t kDialogClass[] = L"#32770";

void PumpOwnMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

// A block of memory inside the program, for list messages whose pointers
// the platform does not carry across processes.
class RemoteBlock {
 public:
  RemoteBlock(HANDLE process, std::size_t size)
      : process_(process), address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
  ~RemoteBlock() {
    if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  RemoteBlock(const RemoteBlock&) = delete;
  RemoteBlock& operator=(const RemoteBlock&) = delete;

  bool ok() const { return address_ != nullptr; }
  LPARAM param() const { return reinterpret_cast<LPARAM>(address_); }
  template <class T>
  T* at(std::size_t offset) const {
    return reinterpret_cast<T*>(static_cast<char*>(address_) + offset);
  }
  bool Write(const void* data, std::size_t size, std::size_t offset = 0) const {
    return WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, nullptr) != FALSE;
  }
  bool Read(void* data, std::size_t size, std::size_t offset = 0) const {
    return ReadProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, nullptr) != FALSE;
  }

 private:
  HANDLE process_;
  void* address_;
};

constexpr std::size_t kTextUnits = 260;

struct WindowSearch {
  DWORD process;
  std::vector<HWND> found;
};

// A named callback: a lambda would not have the 32-bit build's calling
// convention.
BOOL CALLBACK CollectProcessWindow(HWND window, LPARAM data) {
  auto& search = *reinterpret_cast<WindowSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search.process) search.found.push_back(window);
  return TRUE;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    PumpOwnMessages();
    if (condition()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));  // poll interval only
  }
}

bool RoundTrip(HWND window) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored) != 0;
}

bool MakeLongTree(const std::wstring& root) {
  constexpr int kFanOut = 50;
  for (int folder = 0; folder < kLongTreeFolders; ++folder) {
    const std::wstring parent = root + L"\\d" + std::to_wstring(folder / kFanOut);
    const std::wstring leaf = parent + L"\\e" + std::to_wstring(folder);
    CreateDirectoryW(parent.c_str(), nullptr);
    if (!CreateDirectoryW(leaf.c_str(), nullptr)) return false;
    HANDLE file = CreateFileW((leaf + L"\\f.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
  }
  return true;
}

std::wstring WindowText(HWND window) {
  // WM_GETTEXT is marshalled between processes; a hung program times out.
  wchar_t text[1024] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &copied);
  return text;
}

std::wstring ClassName(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

std::wstring MessageText(HWND box) {
  std::wstring longest;
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (_wcsicmp(ClassName(child).c_str(), L"Static") != 0) continue;
    const std::wstring text = WindowText(child);
    if (text.size() > longest.size()) longest = text;
  }
  return longest;
}

std::wstring ProgramPath() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  // build/<preset>/tests/win_program_tests.exe -> build/<preset>/hulkmeter.exe
  return FolderOf(FolderOf(self)) + L"\\hulkmeter.exe";
}

std::wstring ScreenshotFolder() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return FolderOf(FolderOf(self)) + L"\\screenshots";
}

const wchar_t kSettingsKey[] = L"SOFTWARE\\Tovarik\\Hulkmeter";

void ClearStoredSettings() { RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey); }

StoredValue ReadStoredPath() {
  StoredValue value;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return value;
  wchar_t text[1024] = {};
  DWORD bytes = sizeof(text) - sizeof(wchar_t);
  if (RegQueryValueExW(key, L"path", nullptr, &value.type, reinterpret_cast<BYTE*>(text), &bytes) == ERROR_SUCCESS) {
    value.exists = true;
    value.text = text;
  }
  RegCloseKey(key);
  return value;
}

Program::~Program() {
  Terminate();
  if (info_.hThread != nullptr) CloseHandle(info_.hThread);
  if (info_.hProcess != nullptr) CloseHandle(info_.hProcess);
}

bool Program::Start(const std::wstring& currentFolder, const std::wstring& program) {
  const std::wstring path = program.empty() ? ProgramPath() : program;
  const std::wstring folder = currentFolder.empty() ? FolderOf(path) : currentFolder;
  std::wstring commandLine = L"\"" + path + L"\"";
  // Null standard handles: the program must not hold the test's output open.
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  return CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &info_) != FALSE;
}

HWND Program::WaitForMainWindow() {
  WaitUntil([this] {
    for (HWND window : TopLevelWindows()) {
      if (IsWindowVisible(window) && ClassName(window) == kDialogClass && WindowText(window) == kTitle &&
          GetDlgItem(window, kResultList) != nullptr) {
        main_ = window;
        return true;
      }
    }
    return !Running();
  });
  return main_;
}

bool Program::Running() const {
  return info_.hProcess != nullptr && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool Program::WaitForExit(DWORD& exitCode, std::chrono::milliseconds timeout) {
  if (!WaitUntil([this] { return !Running(); }, timeout)) return false;
  return GetExitCodeProcess(info_.hProcess, &exitCode) != FALSE;
}

void Program::Terminate() {
  if (!Running()) return;
  TerminateProcess(info_.hProcess, 99);
  WaitForSingleObject(info_.hProcess, 10000);
}

HWND Program::Control(int id) const { return GetDlgItem(main_, id); }

std::wstring Program::Text(int id) const { return WindowText(Control(id)); }

HWND Program::Focus() const {
  GUITHREADINFO thread{};
  thread.cbSize = sizeof(thread);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(main_, nullptr), &thread)) return nullptr;
  return thread.hwndFocus;
}

std::vector<HWND> Program::TopLevelWindows() const {
  WindowSearch search{info_.dwProcessId, {}};
  EnumWindows(CollectProcessWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<HWND> Program::MessageBoxes() const {
  std::vector<HWND> boxes;
  for (HWND window : TopLevelWindows()) {
    if (window != main_ && IsWindowVisible(window) && ClassName(window) == kDialogClass) boxes.push_back(window);
  }
  return boxes;
}

std::set<DWORD> Program::ThreadIds() const {
  std::set<DWORD> threads;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return threads;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == info_.dwProcessId) threads.insert(entry.th32ThreadID);
  }
  CloseHandle(snapshot);
  return threads;
}

int Program::RowCount() const { return static_cast<int>(SendMessageW(Control(kResultList), LVM_GETITEMCOUNT, 0, 0)); }

std::wstring Program::Cell(int row, int column) const {
  RemoteBlock block(info_.hProcess, sizeof(LVITEMW) + kTextUnits * sizeof(wchar_t));
  if (!block.ok()) return L"<no memory in the program>";
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = block.at<wchar_t>(sizeof(LVITEMW));
  item.cchTextMax = static_cast<int>(kTextUnits);
  const wchar_t empty = 0;
  block.Write(&item, sizeof(item));
  block.Write(&empty, sizeof(empty), sizeof(LVITEMW));
  SendMessageW(Control(kResultList), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), block.param());
  wchar_t text[kTextUnits] = {};
  block.Read(text, sizeof(text) - sizeof(wchar_t), sizeof(LVITEMW));
  return text;
}

UINT Program::RowState(int row, UINT mask) const {
  return static_cast<UINT>(
      SendMessageW(Control(kResultList), LVM_GETITEMSTATE, static_cast<WPARAM>(row), static_cast<LPARAM>(mask)));
}

bool Program::RowRect(int row, RECT& rect) const {
  RemoteBlock block(info_.hProcess, sizeof(RECT));
  RECT request{};
  request.left = LVIR_BOUNDS;
  if (!block.ok() || !block.Write(&request, sizeof(request))) return false;
  if (!SendMessageW(Control(kResultList), LVM_GETITEMRECT, static_cast<WPARAM>(row), block.param())) return false;
  return block.Read(&rect, sizeof(rect));
}

std::vector<ListColumn> Program::Columns() const {
  std::vector<ListColumn> columns;
  RemoteBlock block(info_.hProcess, sizeof(LVCOLUMNW) + kTextUnits * sizeof(wchar_t));
  if (!block.ok()) return columns;
  for (int index = 0;; ++index) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.pszText = block.at<wchar_t>(sizeof(LVCOLUMNW));
    column.cchTextMax = static_cast<int>(kTextUnits);
    block.Write(&column, sizeof(column));
    if (!SendMessageW(Control(kResultList), LVM_GETCOLUMNW, static_cast<WPARAM>(index), block.param())) break;
    wchar_t text[kTextUnits] = {};
    block.Read(&column, sizeof(column));
    block.Read(text, sizeof(text) - sizeof(wchar_t), sizeof(LVCOLUMNW));
    columns.push_back({text, column.cx, column.fmt & LVCFMT_JUSTIFYMASK});
  }
  return columns;
}

std::wstring Program::TreeItemText(HWND tree, HTREEITEM item) const {
  RemoteBlock block(info_.hProcess, sizeof(TVITEMW) + kTextUnits * sizeof(wchar_t));
  if (!block.ok()) return L"<no memory in the program>";
  TVITEMW request{};
  request.mask = TVIF_TEXT;
  request.hItem = item;
  request.pszText = block.at<wchar_t>(sizeof(TVITEMW));
  request.cchTextMax = static_cast<int>(kTextUnits);
  const wchar_t empty = 0;
  block.Write(&request, sizeof(request));
  block.Write(&empty, sizeof(empty), sizeof(TVITEMW));
  if (!SendMessageW(tree, TVM_GETITEMW, 0, block.param())) return {};
  // The control may answer with a pointer of its own instead of the buffer.
  block.Read(&request, sizeof(request));
  wchar_t text[kTextUnits] = {};
  ReadProcessMemory(info_.hProcess, request.pszText, text, sizeof(text) - sizeof(wchar_t), nullptr);
  return text;
}

bool Program::SetRowState(int row, UINT state, UINT mask) const {
  RemoteBlock block(info_.hProcess, sizeof(LVITEMW));
  LVITEMW item{};
  item.state = state;
  item.stateMask = mask;
  if (!block.ok() || !block.Write(&item, sizeof(item))) return false;
  return SendMessageW(Control(kResultList), LVM_SETITEMSTATE, static_cast<WPARAM>(row), block.param()) != 0;
}

bool Program::BringForward(HWND window) const {
  HWND target = window != nullptr ? window : main_;
  if (GetForegroundWindow() == target) return true;
  return WaitUntil([target] {
    SetForegroundWindow(target);
    return GetForegroundWindow() == target;
  });
}

bool Program::PressKey(WORD key, HWND window) const {
  if (!BringForward(window)) return false;
  INPUT inputs[2] = {};
  for (INPUT& input : inputs) {
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
  }
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  return SendInput(2, inputs, sizeof(INPUT)) == 2;
}

bool Program::DoubleClick(HWND window, POINT client) const {
  if (!BringForward()) return false;
  // Posted, not injected: a double click made with SendInput under Wine's
  // virtual desktop was now and then taken as two single clicks (about one
  // run in four), which a test cannot wait out.
  const LPARAM where = MAKELPARAM(client.x, client.y);
  return PostMessageW(window, WM_LBUTTONDBLCLK, MK_LBUTTON, where) && PostMessageW(window, WM_LBUTTONUP, 0, where);
}

std::set<DWORD> ProcessIds(const wchar_t* name) {
  std::set<DWORD> found;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return found;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (_wcsicmp(entry.szExeFile, name) == 0) found.insert(entry.th32ProcessID);
  }
  CloseHandle(snapshot);
  return found;
}

namespace {

template <class Function>
Function NtdllFunction(const char* name) {
  // Through the generic function type, which converts to any other.
  using Generic = void (*)();
  return reinterpret_cast<Function>(reinterpret_cast<Generic>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

template <class T>
bool ReadRemote(HANDLE process, const void* address, T& value) {
  SIZE_T read = 0;
  return ReadProcessMemory(process, address, &value, sizeof(value), &read) && read == sizeof(value);
}

}  // namespace

std::wstring ProcessCommandLine(DWORD processId) {
  using QueryProcess = LONG(NTAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
  static const auto query = NtdllFunction<QueryProcess>("NtQueryInformationProcess");
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  if (process == nullptr || query == nullptr) return {};
  std::wstring text;
  PROCESS_BASIC_INFORMATION basic{};
  PEB peb{};
  RTL_USER_PROCESS_PARAMETERS parameters{};
  if (query(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr) == 0 &&
      ReadRemote(process, basic.PebBaseAddress, peb) && peb.ProcessParameters != nullptr &&
      ReadRemote(process, peb.ProcessParameters, parameters) && parameters.CommandLine.Buffer != nullptr) {
    text.resize(parameters.CommandLine.Length / sizeof(wchar_t));
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, parameters.CommandLine.Buffer, text.data(), text.size() * sizeof(wchar_t), &read) ||
        read != text.size() * sizeof(wchar_t)) {
      text.clear();
    }
  }
  CloseHandle(process);
  return text;
}

bool EndProcesses(const std::set<DWORD>& processes) {
  bool allEnded = true;
  for (DWORD id : processes) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (process == nullptr) continue;  // already gone
    TerminateProcess(process, 99);
    allEnded = WaitForSingleObject(process, 10000) == WAIT_OBJECT_0 && allEnded;
    CloseHandle(process);
  }
  return allEnded;
}

namespace {

std::uintptr_t ModuleBase(DWORD process, const wchar_t* module) {
  std::uintptr_t base = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  MODULEENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Module32FirstW(snapshot, &entry); more && base == 0; more = Module32NextW(snapshot, &entry)) {
    if (_wcsicmp(entry.szModule, module) == 0) base = reinterpret_cast<std::uintptr_t>(entry.modBaseAddr);
  }
  CloseHandle(snapshot);
  return base;
}

// Debug events carry file handles that the debugger must close.
void CloseEventHandles(const DEBUG_EVENT& event) {
  if (event.dwDebugEventCode == CREATE_PROCESS_DEBUG_EVENT && event.u.CreateProcessInfo.hFile != nullptr) {
    CloseHandle(event.u.CreateProcessInfo.hFile);
  }
  if (event.dwDebugEventCode == LOAD_DLL_DEBUG_EVENT && event.u.LoadDll.hFile != nullptr) {
    CloseHandle(event.u.LoadDll.hFile);
  }
}

bool IsBreakpoint(const DEBUG_EVENT& event) {
  return event.dwDebugEventCode == EXCEPTION_DEBUG_EVENT &&
         event.u.Exception.ExceptionRecord.ExceptionCode == EXCEPTION_BREAKPOINT;
}

// Breakpoints are ours (the attach's or the watch's); every other exception
// goes back to the program's own handlers.
DWORD ContinueStatus(const DEBUG_EVENT& event) {
  return event.dwDebugEventCode != EXCEPTION_DEBUG_EVENT || IsBreakpoint(event) ? DBG_CONTINUE
                                                                                : DBG_EXCEPTION_NOT_HANDLED;
}

bool PatchByte(HANDLE process, std::uintptr_t address, std::uint8_t value) {
  void* at = reinterpret_cast<void*>(address);
  DWORD protection = 0;
  if (!VirtualProtectEx(process, at, 1, PAGE_EXECUTE_READWRITE, &protection)) return false;
  SIZE_T written = 0;
  const bool ok = WriteProcessMemory(process, at, &value, 1, &written) && written == 1;
  VirtualProtectEx(process, at, 1, protection, &protection);
  FlushInstructionCache(process, at, 1);
  return ok;
}

}  // namespace

CallWatch::CallWatch(const Program& program, const wchar_t* module, const char* function) : process_id_(program.id()) {
  HMODULE own = GetModuleHandleW(module);
  const auto ownAddress = reinterpret_cast<std::uintptr_t>(own != nullptr ? GetProcAddress(own, function) : nullptr);
  const std::uintptr_t base = ModuleBase(process_id_, module);
  if (ownAddress == 0 || base == 0) {
    why_ = "the function or its module was not found";
    return;
  }
  // The same system DLL: the same offset from its base, and the same code.
  address_ = base + (ownAddress - reinterpret_cast<std::uintptr_t>(own));
  process_ = OpenProcess(PROCESS_ALL_ACCESS, FALSE, process_id_);
  std::uint8_t theirs[16] = {};
  if (process_ == nullptr || !ReadRemote(process_, reinterpret_cast<const void*>(address_), theirs) ||
      std::memcmp(theirs, reinterpret_cast<const void*>(ownAddress), sizeof(theirs)) != 0) {
    why_ = "the program's copy of the function differs from the test's";
    return;
  }
  original_ = theirs[0];
  if (!DebugActiveProcess(process_id_)) {
    why_ = "DebugActiveProcess failed, error " + std::to_string(GetLastError());
    return;
  }
  attached_ = true;
  DebugSetProcessKillOnExit(FALSE);
  // The attach reports the process, its threads and modules, then stops it
  // at a breakpoint of its own; the watch's breakpoint goes in after that.
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  for (bool stopped = false; !stopped;) {
    if (std::chrono::steady_clock::now() > deadline) {
      why_ = "the attach did not stop the program";
      return;
    }
    DEBUG_EVENT event{};
    if (!WaitForDebugEvent(&event, 100)) continue;
    CloseEventHandles(event);
    stopped = IsBreakpoint(event);
    if (stopped && !PatchByte(process_, address_, 0xCC)) {
      why_ = "the breakpoint could not be written";
      Continue(event, DBG_CONTINUE);
      return;
    }
    if (!Continue(event, ContinueStatus(event))) return;
  }
  armed_ = true;
}

CallWatch::~CallWatch() {
  if (armed_) PatchByte(process_, address_, original_);
  Detach();
  if (process_ != nullptr) CloseHandle(process_);
}

bool CallWatch::Armed(std::string& why) const {
  why = why_;
  return armed_;
}

bool CallWatch::Continue(const DEBUG_EVENT& event, DWORD status) {
  if (ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status)) return true;
  why_ = "ContinueDebugEvent failed";
  return false;
}

void CallWatch::Detach() {
  if (!attached_) return;
  DebugActiveProcessStop(process_id_);
  attached_ = false;
}

bool CallWatch::WaitForCall(std::chrono::milliseconds timeout) {
  if (!armed_) return false;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() <= deadline) {
    DEBUG_EVENT event{};
    if (!WaitForDebugEvent(&event, 100)) continue;
    CloseEventHandles(event);
    if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) {
      Continue(event, DBG_CONTINUE);
      armed_ = false;
      Detach();
      return false;
    }
    const auto at = reinterpret_cast<std::uintptr_t>(event.u.Exception.ExceptionRecord.ExceptionAddress);
    if (!IsBreakpoint(event) || (at != address_ && at != address_ + 1)) {
      if (!Continue(event, ContinueStatus(event))) return false;
      continue;
    }
    // At the function's entry: the arguments are where the calling
    // convention puts them. Then the call goes on from its first byte.
    HANDLE thread = OpenThread(THREAD_GET_CONTEXT | THREAD_SET_CONTEXT, FALSE, event.dwThreadId);
    CONTEXT context{};
    context.ContextFlags = CONTEXT_FULL;
    const bool read = thread != nullptr && GetThreadContext(thread, &context);
#ifdef _WIN64
    arguments_[0] = context.Rcx;
    arguments_[1] = context.Rdx;
    arguments_[2] = context.R8;
    arguments_[3] = context.R9;
    context.Rip = address_;
#else
    DWORD stack[4] = {};
    ReadRemote(process_, reinterpret_cast<const void*>(context.Esp + 4), stack);
    for (int index = 0; index < 4; ++index) arguments_[index] = stack[index];
    context.Eip = static_cast<DWORD>(address_);
#endif
    const bool restored = read && SetThreadContext(thread, &context) && PatchByte(process_, address_, original_);
    if (thread != nullptr) CloseHandle(thread);
    armed_ = false;
    Continue(event, DBG_CONTINUE);
    Detach();
    return restored;
  }
  return false;
}

COLORREF Picture::At(int x, int y) const {
  const std::size_t offset =
      static_cast<std::size_t>(height - 1 - y) * static_cast<std::size_t>(stride) + static_cast<std::size_t>(x) * 3;
  return RGB(bits[offset + 2], bits[offset + 1], bits[offset]);
}

bool CaptureWindow(HWND window, Picture& picture) {
  RECT rect{};
  if (!GetWindowRect(window, &rect)) return false;
  picture.width = rect.right - rect.left;
  picture.height = rect.bottom - rect.top;
  picture.stride = (picture.width * 3 + 3) / 4 * 4;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = picture.height;  // bottom-up, as in the file
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool copied = false;
  if (bitmap != nullptr) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    copied = BitBlt(memory, 0, 0, picture.width, picture.height, screen, rect.left, rect.top, SRCCOPY) != FALSE;
    GdiFlush();
    const std::size_t size = static_cast<std::size_t>(picture.stride) * static_cast<std::size_t>(picture.height);
    picture.bits.assign(static_cast<const std::uint8_t*>(bits), static_cast<const std::uint8_t*>(bits) + size);
    SelectObject(memory, old);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return copied;
}

bool SaveBmp(const Picture& picture, const std::wstring& path) {
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(header);
  header.biWidth = picture.width;
  header.biHeight = picture.height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(picture.bits.size());
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(file) + sizeof(header);
  file.bfSize = file.bfOffBits + header.biSizeImage;
  std::ofstream out(std::filesystem::path(path), std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof(file));
  out.write(reinterpret_cast<const char*>(&header), sizeof(header));
  out.write(reinterpret_cast<const char*>(picture.bits.data()), static_cast<std::streamsize>(picture.bits.size()));
  return static_cast<bool>(out);
}

}  // namespace hm::test
