// Prints, for one tree, the floor (a bare FindFirstFileW walk that only
// counts files) and the windowed program's scan end to end: from command 1
// to the end of the scan (rows ordered, row 0 selected), split into the walk
// with its rows and the ordering. The split comes from inside the program:
// scan_timing_hook.dll (beside this program) watches its main window and
// notes when the worker's calls arrive there and return.
//   wine_scan_bench TREE PROGRAM
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "bench/bench_clock.h"
#include "bench/scan_timing.h"

namespace {

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
HOOKPROC HookProcedure(HMODULE library, const char* name) {
  // The library exports it with HOOKPROC's type; FARPROC only carries it.
  return reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(library, name)));
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

  // The hooks write into a block of this process's making; the program
  // maps it when its first hooked call arrives.
  HANDLE mapping =
      CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(ScanTiming), kScanTimingName);
  auto* timing = static_cast<volatile ScanTiming*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(ScanTiming)));
  HMODULE hooks = LoadLibraryW(L"scan_timing_hook.dll");
  if (timing == nullptr || hooks == nullptr) {
    std::fprintf(stderr, "cannot set up the timing library\n");
    return 1;
  }
  timing->mainWindow = found.window;
  // The hook is only the way in: once the library watches the window, it goes.
  HHOOK entry = SetWindowsHookExW(WH_GETMESSAGE, HookProcedure(hooks, "ScanTimingEntryHook"), hooks,
                                  GetWindowThreadProcessId(found.window, nullptr));
  for (int i = 0; i < 1000 && entry != nullptr && timing->watching == 0; ++i) {
    PostMessageW(found.window, WM_NULL, 0, 0);
    Sleep(10);
  }
  if (entry != nullptr) UnhookWindowsHookEx(entry);
  if (timing->watching == 0) {
    std::fprintf(stderr, "cannot watch the program's main window\n");
    return 1;
  }

  LARGE_INTEGER frequency, pressed;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&pressed);
  PostMessageW(found.window, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  // Only this process's memory is polled: the program is never disturbed.
  while (timing->end == 0) {
    if (WaitForSingleObject(program.hProcess, 5) != WAIT_TIMEOUT) {
      std::fprintf(stderr, "the program ended during the scan\n");
      return 1;
    }
  }
  const auto seconds = [&frequency](LONGLONG ticks) {
    return static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
  };
  const double walkRows = seconds(timing->sortStart - pressed.QuadPart);
  const double ordering = seconds(timing->sortEnd - timing->sortStart);
  const double total = seconds(timing->end - pressed.QuadPart);
  const double inBatches = seconds(timing->batchTicks);
  const long batches = static_cast<long>(timing->batches);
  UnmapViewOfFile(const_cast<ScanTiming*>(timing));
  CloseHandle(mapping);
  FreeLibrary(hooks);
  const int selected = static_cast<int>(
      SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_FOCUSED | LVNI_SELECTED, 0)));
  PostMessageW(found.window, WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), 0);
  WaitForSingleObject(program.hProcess, 10000);
  CloseHandle(program.hThread);
  CloseHandle(program.hProcess);
  std::printf(
      "files %ld floor %.3f walk+rows %.3f ordering %.3f total %.3f ratio %.2f row0 %d batches %ld in-batches %.3f\n",
      files, floor, walkRows, ordering, total, total / floor, selected, batches, inBatches);
  return selected == 0 ? 0 : 1;
}
