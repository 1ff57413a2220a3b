// A library that wine_scan_bench brings into the program: a message hook on
// the UI thread, used once, subclasses the main window, whose procedure then
// notes when the worker's calls arrive and return, in a block shared with
// the bench. Every other message only passes one more procedure, so the scan
// being timed is not slowed (a hook on all sent messages would be called for
// every list message of every row).
#include <windows.h>

#include "bench/scan_timing.h"
#include "control/scan_control.h"
#include "control/worker_message.h"

namespace {

volatile ScanTiming* timing = nullptr;
WNDPROC originalProcedure = nullptr;

LONGLONG Now() {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return counter.QuadPart;
}

LRESULT CALLBACK TimedProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != hm::kWorkerRequestMessage) return CallWindowProcW(originalProcedure, window, message, wParam, lParam);
  // The request may be gone once the call returns: a batch lets the worker
  // go on before it is in the table.
  const hm::WorkerStep step = reinterpret_cast<const hm::WorkerRequest*>(lParam)->step;
  const LONGLONG start = Now();
  const LRESULT result = CallWindowProcW(originalProcedure, window, message, wParam, lParam);
  const LONGLONG end = Now();
  switch (step) {
    case hm::WorkerStep::kTakeBatch:
      timing->batches = timing->batches + 1;
      timing->batchTicks = timing->batchTicks + (end - start);
      break;
    case hm::WorkerStep::kSortTable:
      timing->sortStart = start;
      timing->sortEnd = end;
      break;
    case hm::WorkerStep::kEnd:
      timing->end = end;
      break;
    default:
      break;
  }
  return result;
}

void Watch() {
  HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, kScanTimingName);
  if (mapping == nullptr) return;
  // The view and this library stay for the life of the process, as the
  // window procedure does.
  timing = static_cast<ScanTiming*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(ScanTiming)));
  CloseHandle(mapping);
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCWSTR>(&TimedProcedure), &self);
  if (timing == nullptr) return;
  originalProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(timing->mainWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TimedProcedure)));
  timing->watching = 1;
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK ScanTimingEntryHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && originalProcedure == nullptr) Watch();
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
