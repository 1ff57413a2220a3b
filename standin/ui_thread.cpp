#include "standin/ui_thread.h"

#include <atomic>
#include <chrono>

#include "control/ui_calls.h"

namespace hm {
namespace {

std::atomic<WorkerId> nextWorkerId{1};
thread_local WorkerId currentWorkerId = 0;
// On the UI thread, while a task runs: the flag its caller waits on, until
// the caller has been let go.
thread_local bool* waitingCaller = nullptr;

void ReleaseCaller(StandInUi& ui) {
  if (waitingCaller == nullptr) return;
  std::lock_guard<std::mutex> lock(ui.mutex);
  *waitingCaller = true;
  waitingCaller = nullptr;
  ui.changed.notify_all();
}

void RunUiLoop(StandInUi& ui) {
  std::unique_lock<std::mutex> lock(ui.mutex);
  for (;;) {
    ui.changed.wait(lock, [&ui] { return ui.quit || !ui.tasks.empty(); });
    if (ui.tasks.empty()) return;  // quit and nothing left
    std::function<void()> task = std::move(ui.tasks.front());
    ui.tasks.pop_front();
    ui.busy = true;
    lock.unlock();
    task();
    lock.lock();
    ui.busy = false;
    ui.changed.notify_all();
  }
}

// Queues a task and waits until it ran; false when the UI thread has ended.
bool RunAndWait(StandInUi& ui, const std::function<void()>& task) {
  bool done = false;
  std::unique_lock<std::mutex> lock(ui.mutex);
  if (ui.quit) {
    // A window goes away between two of its thread's tasks, never during one.
    ui.changed.wait(lock, [&ui] { return !ui.busy; });
    return false;
  }
  // The task is copied: once the caller is let go, nothing of its frame is used.
  ui.tasks.emplace_back([&ui, task, caller = &done] {
    waitingCaller = caller;
    task();
    ReleaseCaller(ui);
  });
  ui.changed.notify_all();
  ui.changed.wait(lock, [&done] { return done; });
  return true;
}

}  // namespace

StandInUi& TheStandInUi() {
  static StandInUi ui;
  return ui;
}

void StartStandInUi() {
  StandInUi& ui = TheStandInUi();
  ui.quit = false;
  ui.beeps = 0;
  ui.messages.clear();
  ui.failNextThreadCreation = false;
  ui.beforeWorkerCall = nullptr;
  ui.afterWorkerReleased = nullptr;
  ui.clock = nullptr;
  ui.thread = std::thread(RunUiLoop, std::ref(ui));
}

void StopStandInUi() {
  StandInUi& ui = TheStandInUi();
  {
    std::lock_guard<std::mutex> lock(ui.mutex);
    ui.quit = true;
    ui.changed.notify_all();
  }
  ui.thread.join();
}

void RunOnUiThread(const std::function<void()>& task) { RunAndWait(TheStandInUi(), task); }

void WaitForWorkers() {
  StandInUi& ui = TheStandInUi();
  std::unique_lock<std::mutex> lock(ui.mutex);
  ui.changed.wait(lock, [&ui] { return ui.liveWorkers == 0; });
}

void SetControlText(WindowHandle control, const Char* text) {
  control->text = text;
  control->shown.push_back(control->text);
}

void ReadControlText(WindowHandle control, TextBuffer& text) {
  CopyText(text.data(), kTextUnits, control->text.substr(0, kTextUnits - 1).c_str());
}

void ShowControl(WindowHandle control, bool visible) { control->visible = visible; }

void SetControlRedraw(WindowHandle control, bool redraw) { control->redraw = redraw; }

void RepaintWindow(WindowHandle window) { ++window->repaints; }

void SoundBeep() { ++TheStandInUi().beeps; }

void ShowMessage(WindowHandle, const Char* text, const Char* caption, MessageIcon icon) {
  TheStandInUi().messages.push_back(StandInMessage{text, caption, icon == MessageIcon::kError});
}

ResultTable ResultTableOf(WindowHandle list) { return MemoryResultTable(*list->table); }

bool StartWorkerThread(AppState& state, ThreadHandle& handle, WorkerId& worker) {
  StandInUi& ui = TheStandInUi();
  handle = nullptr;
  if (ui.failNextThreadCreation) {
    ui.failNextThreadCreation = false;
    return false;
  }
  worker = nextWorkerId++;
  {
    std::lock_guard<std::mutex> lock(ui.mutex);
    ++ui.liveWorkers;
  }
  std::thread([&state, &ui, worker] {
    currentWorkerId = worker;
    ScanWorker(state);
    std::lock_guard<std::mutex> lock(ui.mutex);
    --ui.liveWorkers;
    ui.changed.notify_all();
  }).detach();
  handle = new StandInThread{worker};
  return true;
}

void CloseThreadHandle(ThreadHandle handle) { delete handle; }

WorkerId CurrentThreadWorkerId() { return currentWorkerId; }

std::uint64_t MonotonicMilliseconds() {
  StandInUi& ui = TheStandInUi();
  if (ui.clock) return ui.clock();
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
}

void CallOnUiThread(AppState& state, WorkerRequest& request) {
  StandInUi& ui = TheStandInUi();
  AppState* statePointer = &state;
  WorkerRequest* requestPointer = &request;
  RunAndWait(ui, [statePointer, requestPointer, &ui] {
    if (ui.beforeWorkerCall) ui.beforeWorkerCall(*statePointer, *requestPointer);
    CarryOutWorkerRequest(*statePointer, *requestPointer);
  });
}

void ReleaseWaitingWorker() {
  StandInUi& ui = TheStandInUi();
  ReleaseCaller(ui);
  if (ui.afterWorkerReleased) ui.afterWorkerReleased();
}

}  // namespace hm
