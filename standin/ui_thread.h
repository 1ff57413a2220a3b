// A UI thread of our own for Linux builds: it carries out commands and the
// worker's calls one at a time, in order, as a window's message loop does,
// and holds stand-in controls whose state tests can read.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "control/app_state.h"
#include "control/scan_control.h"
#include "standin/memory_table.h"

namespace hm {

struct StandInWindow {
  std::basic_string<Char> text;
  std::vector<std::basic_string<Char>> shown;  // every text set, in order
  bool visible = true;
  bool redraw = true;
  int repaints = 0;
  MemoryTable* table = nullptr;  // the result list's rows
};

struct StandInThread {
  WorkerId id;
};

struct StandInMessage {
  std::basic_string<Char> text;
  std::basic_string<Char> caption;
  bool isError;
};

struct StandInUi {
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::function<void()>> tasks;
  std::thread thread;
  bool quit = false;
  bool busy = false;  // a task is running
  int liveWorkers = 0;
  // Seen on the UI thread only.
  int beeps = 0;
  std::vector<StandInMessage> messages;
  bool failNextThreadCreation = false;
  // Runs on the UI thread just before a worker's call is carried out, as a
  // user's command that arrives right then would.
  std::function<void(AppState&, WorkerRequest&)> beforeWorkerCall;
  // Runs on the UI thread right after a worker was let go on before its call
  // was done.
  std::function<void()> afterWorkerReleased;
  // The clock the worker reads; the steady clock when empty.
  std::function<std::uint64_t()> clock;
};

StandInUi& TheStandInUi();

// Starts the UI thread with a fresh record, or ends it once its tasks ran;
// after the end, worker calls are no longer carried out (the window is gone).
void StartStandInUi();
void StopStandInUi();

// Runs `task` on the UI thread and waits for it.
void RunOnUiThread(const std::function<void()>& task);

// Waits until every worker thread has returned.
void WaitForWorkers();

}  // namespace hm
