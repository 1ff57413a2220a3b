// The one process-wide record.
#pragma once

#include <atomic>
#include <cstdint>

#include "scan/folder_walk.h"
#include "scan/text.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace hm {

#if defined(_WIN32)
using WindowHandle = HWND;
using InstanceHandle = HINSTANCE;
using ThreadHandle = HANDLE;  // "no thread" is nullptr, as CreateThread returns it
#else
struct StandInWindow;
struct StandInThread;
using WindowHandle = StandInWindow*;
using InstanceHandle = void*;
using ThreadHandle = StandInThread*;
#endif

// A thread's id (a DWORD on Windows); never 0 for a running thread.
using WorkerId = std::uint32_t;

struct AppState {
  InstanceHandle instance;
  TextBuffer title;  // string 103, at most 99 units
  WindowHandle mainWindow;
  WindowHandle resultList;  // control 1000
  WindowHandle pathEdit;    // control 1001
  WindowHandle statusLine;  // control 1002
  WindowHandle findButton;  // control 1
  // 1 from the start of a scan to its end or stop. The UI thread marks it
  // before the worker exists, so a second command 1 always stops that scan.
  std::atomic<std::int32_t> RunningFlag;
  ThreadHandle WorkerHandle;
  // The stop request: the id of the worker whose scan is current, 0 when there
  // is none. Set by the UI thread when it starts a worker and cleared when it
  // stops it; the worker reads it before every entry of the walk, and the UI
  // thread carries out nothing for a worker that is not current.
  std::atomic<WorkerId> CurrentWorker;
  // The folder listing the walk uses; tests put a slower one here.
  const FolderListing* listing;
};

static_assert(std::atomic<std::int32_t>::is_always_lock_free, "RunningFlag is one lock-free word");
static_assert(std::atomic<WorkerId>::is_always_lock_free, "CurrentWorker is one lock-free word");

}  // namespace hm
