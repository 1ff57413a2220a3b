#include "tests/support/program_driver.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <filesystem>
#include <fstream>
#include <thread>

namespace hm::test {
namespace {

constexpr wchar_t kTitle[] = L"Hulkmeter";
constexpr wchar_t kDialogClass[] = L"#32770";
constexpr int kResultList = 1000;

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

bool Program::Start() {
  std::wstring path = ProgramPath();
  std::wstring commandLine = L"\"" + path + L"\"";
  // Null standard handles: the program must not hold the test's output open.
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  return CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, FolderOf(path).c_str(),
                        &startup, &info_) != FALSE;
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

bool Program::BringForward() const {
  if (GetForegroundWindow() == main_) return true;
  return WaitUntil([this] {
    SetForegroundWindow(main_);
    return GetForegroundWindow() == main_;
  });
}

bool Program::PressKey(WORD key) const {
  if (!BringForward()) return false;
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
