#include "control/scan_control.h"

#include "control/ui_calls.h"
#include "scan/folder_walk.h"

namespace hm {
namespace {

constexpr Char kFindText[] = HM_TEXT("Find");
constexpr Char kCancelText[] = HM_TEXT("Cancel");
constexpr Char kEmptyText[] = HM_TEXT("");
constexpr Char kThreadFailedText[] = HM_TEXT("Can not create thread. Error!");

struct WorkerContext {
  AppState* state;
  WorkerId id;
  bool stopped;
  std::uint64_t statusDueAt;  // from then on a status-line change goes at once
  std::size_t filling;        // the batch being filled; the UI thread may hold the other
  std::array<RowBatch, 2> batches;
};

// Asks the UI thread to carry out one step; false when the scan was stopped,
// after which the worker does nothing more.
bool Ask(WorkerContext& worker, WorkerStep step, TextBuffer* path = nullptr) {
  if (worker.stopped) return false;
  WorkerRequest request{worker.id, step, path, &worker.batches[worker.filling], false};
  CallOnUiThread(*worker.state, request);
  worker.stopped = !request.carriedOut;
  return request.carriedOut;
}

// Hands the batch over and goes on with the other one. The UI thread takes
// one batch at a time, and the next call waits until it has finished with
// this one, so the other batch is free again by then.
void SendBatch(WorkerContext& worker) {
  if (worker.batches[worker.filling].count == 0) return;
  if (!Ask(worker, WorkerStep::kTakeBatch)) return;  // stopped: nothing more is sent
  worker.statusDueAt = MonotonicMilliseconds() + kStatusIntervalMs;
  worker.filling ^= 1;
  worker.batches[worker.filling].count = 0;
  worker.batches[worker.filling].used = 0;
}

// Copies a text into the batch's pool; false when the pool is full.
bool AddBatchText(RowBatch& batch, const Char* text, std::size_t& offset) {
  const std::size_t room = RowBatch::kUnits - batch.used;
  const auto length = static_cast<std::size_t>(TextLength(text, static_cast<int>(room)));
  if (length >= room) return false;
  offset = batch.used;
  for (std::size_t i = 0; i <= length; ++i) batch.texts[batch.used + i] = text[i];
  batch.used += length + 1;
  return true;
}

// Adds a row (name given) or a status-line change (name null), sending the
// batch first when it has no room left.
void AddBatchEntry(WorkerContext& worker, const Char* name, const Char* folder, std::uint64_t size) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (worker.batches[worker.filling].count == RowBatch::kEntries) SendBatch(worker);
    if (worker.stopped) return;
    RowBatch& batch = worker.batches[worker.filling];
    const std::size_t start = batch.used;
    RowBatch::Entry entry{name == nullptr, size, 0, 0};
    const bool sameFolder = batch.count > 0 && TextEquals(&batch.texts[batch.entries[batch.count - 1].folder], folder);
    if (sameFolder) entry.folder = batch.entries[batch.count - 1].folder;
    if ((sameFolder || AddBatchText(batch, folder, entry.folder)) &&
        (name == nullptr || AddBatchText(batch, name, entry.name))) {
      batch.entries[batch.count++] = entry;
      return;
    }
    batch.used = start;  // the pool is full: send what it holds and try again
    SendBatch(worker);
  }
}

void SinkAddRow(void* context, const Char* name, const Char* folder, std::uint64_t size) {
  AddBatchEntry(*static_cast<WorkerContext*>(context), name, folder, size);
}

void SinkShowStatus(void* context, const Char* folder) {
  auto& worker = *static_cast<WorkerContext*>(context);
  AddBatchEntry(worker, nullptr, folder, 0);
  // The line keeps up with the walk without a round trip per folder.
  if (MonotonicMilliseconds() >= worker.statusDueAt) SendBatch(worker);
}

bool SinkStopRequested(void* context) {
  auto& worker = *static_cast<WorkerContext*>(context);
  if (worker.state->CurrentWorker.load(std::memory_order_acquire) != worker.id) worker.stopped = true;
  return worker.stopped;
}

void TakeBatch(const AppState& state, const RowBatch& batch) {
  const ResultTable table = ResultTableOf(state.resultList);
  for (std::size_t i = 0; i < batch.count; ++i) {
    const RowBatch::Entry& entry = batch.entries[i];
    if (entry.isStatus) {
      SetControlText(state.statusLine, &batch.texts[entry.folder]);
    } else {
      table.ops->addRow(table.table, &batch.texts[entry.name], &batch.texts[entry.folder], entry.size);
    }
  }
}

}  // namespace

void StartOrStopScan(AppState& state) {
  const ResultTable table = ResultTableOf(state.resultList);
  table.ops->clear(table.table);

  if (state.RunningFlag.load() != 0) {
    // From here on nothing of the stopped worker is carried out; it notices
    // at its next entry and ends by itself, closing its searches.
    state.CurrentWorker.store(0, std::memory_order_release);
    CloseThreadHandle(state.WorkerHandle);
    state.WorkerHandle = nullptr;
    SetControlText(state.findButton, kFindText);
    SetControlText(state.statusLine, kEmptyText);
    SetControlRedraw(state.resultList, true);
    ShowControl(state.resultList, true);
    RepaintWindow(state.mainWindow);
    state.RunningFlag.store(0);
    return;
  }

  if (state.WorkerHandle != nullptr) {  // the last worker ended by itself
    CloseThreadHandle(state.WorkerHandle);
    state.WorkerHandle = nullptr;
  }
  state.RunningFlag.store(1);
  WorkerId worker = 0;
  if (!StartWorkerThread(state, state.WorkerHandle, worker)) {
    state.RunningFlag.store(0);
    state.WorkerHandle = nullptr;
    ShowMessage(state.mainWindow, kThreadFailedText, state.title.data(), MessageIcon::kError);
    return;
  }
  // The worker's first call reaches this thread only after this store.
  state.CurrentWorker.store(worker, std::memory_order_release);
}

std::uint32_t ScanWorker(AppState& state) {
  WorkerContext worker{&state, CurrentThreadWorkerId(), false, 0, 0, {}};
  worker.batches[0].count = 0;
  worker.batches[0].used = 0;
  TextBuffer root{};
  if (!Ask(worker, WorkerStep::kBegin) || !Ask(worker, WorkerStep::kReadPath, &root)) return 0;

  const Walk walk{state.listing, WalkSink{&worker, SinkAddRow, SinkShowStatus, SinkStopRequested}};
  ScanFolder(walk, root.data());
  SendBatch(worker);

  // Each step is its own call, so a stop between any two ends the scan there.
  constexpr WorkerStep kFinish[] = {WorkerStep::kSortTable,   WorkerStep::kBeep,     WorkerStep::kRestoreControls,
                                    WorkerStep::kSelectFirst, WorkerStep::kShowList, WorkerStep::kRepaint,
                                    WorkerStep::kEnd};
  for (const WorkerStep step : kFinish) {
    if (!Ask(worker, step)) break;
  }
  return 0;
}

void CarryOutWorkerRequest(AppState& state, WorkerRequest& request) {
  request.carriedOut = false;
  if (request.worker == 0 || state.CurrentWorker.load(std::memory_order_acquire) != request.worker) return;
  const ResultTable table = ResultTableOf(state.resultList);
  switch (request.step) {
    case WorkerStep::kBegin:
      state.RunningFlag.store(1);
      SetControlText(state.findButton, kCancelText);
      // The list neither redraws nor shows while rows arrive.
      SetControlRedraw(state.resultList, false);
      ShowControl(state.resultList, false);
      break;
    case WorkerStep::kReadPath:
      ReadControlText(state.pathEdit, *request.path);
      break;
    case WorkerStep::kTakeBatch: {
      const RowBatch& batch = *request.batch;
      request.carriedOut = true;
      // The worker fills its other batch meanwhile; `request` is gone.
      ReleaseWaitingWorker();
      TakeBatch(state, batch);
      return;
    }
    case WorkerStep::kSortTable:
      table.ops->sortBySize(table.table);
      break;
    case WorkerStep::kBeep:
      SoundBeep();
      break;
    case WorkerStep::kRestoreControls:
      SetControlText(state.findButton, kFindText);
      SetControlText(state.statusLine, kEmptyText);
      break;
    case WorkerStep::kSelectFirst:
      table.ops->selectFirst(table.table);
      break;
    case WorkerStep::kShowList:
      SetControlRedraw(state.resultList, true);
      ShowControl(state.resultList, true);
      break;
    case WorkerStep::kRepaint:
      RepaintWindow(state.mainWindow);
      break;
    case WorkerStep::kEnd:
      state.RunningFlag.store(0);
      state.CurrentWorker.store(0, std::memory_order_release);
      break;
  }
  request.carriedOut = true;
}

}  // namespace hm
