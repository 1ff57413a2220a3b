// The block that scan_timing_hook fills in the program and wine_scan_bench
// reads: performance-counter ticks of the UI thread's work on one scan.
#pragma once

#include <windows.h>

constexpr wchar_t kScanTimingName[] = L"HulkmeterScanTiming";

struct ScanTiming {
  HWND mainWindow;     // written by the bench: the window to watch
  LONG watching;       // 1 once the hook library watches it
  LONGLONG sortStart;  // the ordering, from its call to its return
  LONGLONG sortEnd;
  LONGLONG end;         // the worker's last call returned: the scan is over
  LONGLONG batchTicks;  // the UI thread's time in batches, all together
  LONGLONG batches;
};
