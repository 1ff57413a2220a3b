// Prints, for one tree, the floor (a bare FindFirstFileW walk that only
// counts files) and the windowed program's scan end to end: from command 1
// to the end of the scan (rows ordered, row 0 selected), split at the moment
// the last row has arrived.
//   wine_scan_bench TREE PROGRAM
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

namespace {

double Now() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

long CountFiles(const std::wstring& folder) {
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((folder + L"\\*.*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return 0;
  long files = 0;
  do {
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      ++files;
    } else if (lstrcmpW(entry.cFileName, L".") != 0 && lstrcmpW(entry.cFileName, L"..") != 0) {
      files += CountFiles(folder + L"\\" + entry.cFileName);
    }
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return files;
}

struct Found {
  DWORD process;
  HWND window;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM parameter) {
  auto* found = reinterpret_cast<Found*>(parameter);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t caption[64] = {};
  GetWindowTextW(window, caption, 64);
  if (process == found->process && lstrcmpW(caption, L"Hulkmeter") == 0) {
    found->window = window;
    return FALSE;
  }
  return TRUE;
}

std::wstring Text(HWND window) {
  wchar_t text[64] = {};
  SendMessageW(window, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
  return text;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: wine_scan_bench TREE PROGRAM\n");
    return 2;
  }
  const std::wstring tree = argv[1];
  double start = Now();
  const long files = CountFiles(tree);
  const double floor = Now() - start;

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  PROCESS_INFORMATION program{};
  std::wstring commandLine = L"\"" + std::wstring(argv[2]) + L"\"";
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &program)) {
    std::fprintf(stderr, "cannot start the program\n");
    return 1;
  }
  Found found{program.dwProcessId, nullptr};
  for (int i = 0; i < 2000 && found.window == nullptr; ++i) {
    Sleep(10);
    EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&found));
  }
  if (found.window == nullptr) return 1;
  HWND list = GetDlgItem(found.window, 1000);
  HWND button = GetDlgItem(found.window, 1);
  SendMessageW(GetDlgItem(found.window, 1001), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(tree.c_str()));

  start = Now();
  PostMessageW(found.window, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  double rowsIn = 0;
  double end = 0;
  for (;;) {
    Sleep(2);
    const long rows = static_cast<long>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    if (rowsIn == 0 && rows >= files) rowsIn = Now() - start;
    if (rowsIn != 0 && Text(button) == L"Find" && IsWindowVisible(list)) {
      end = Now() - start;
      break;
    }
  }
  const int selected = static_cast<int>(
      SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_FOCUSED | LVNI_SELECTED, 0)));
  PostMessageW(found.window, WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), 0);
  WaitForSingleObject(program.hProcess, 10000);
  CloseHandle(program.hThread);
  CloseHandle(program.hProcess);
  std::printf("files %ld floor %.3f walk+rows %.3f ordering %.3f total %.3f ratio %.2f row0 %d\n", files, floor, rowsIn,
              end - rowsIn, end, end / floor, selected);
  return selected == 0 ? 0 : 1;
}
