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
  RowBatch batch;
};

// Asks the UI thread to carry out one step; false when the scan was stopped,
// after which the worker does nothing more.
bool Ask(WorkerContext& worker, WorkerStep step, const Char* text = nullptr, TextBuffer* path = nullptr) {
  if (worker.stopped) return false;
  WorkerRequest request{worker.id, step, text, path, &worker.batch, false};
  CallOnUiThread(*worker.state, request);
  worker.stopped = !request.carriedOut;
  return request.carriedOut;
}

void SendBatch(WorkerContext& worker) {
  if (worker.batch.count == 0) return;
  Ask(worker, WorkerStep::kAddRows);
  worker.batch.count = 0;
  worker.batch.used = 0;
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

void BatchRow(WorkerContext& worker, const Char* name, const Char* folder, std::uint64_t size) {
  RowBatch& batch = worker.batch;
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (batch.count == RowBatch::kRows) SendBatch(worker);
    if (worker.stopped) return;
    const std::size_t start = batch.used;
    RowBatch::Row row{size, 0, 0};
    const bool sameFolder = batch.count > 0 && TextEquals(&batch.texts[batch.rows[batch.count - 1].folder], folder);
    if (sameFolder) row.folder = batch.rows[batch.count - 1].folder;
    if ((sameFolder || AddBatchText(batch, folder, row.folder)) && AddBatchText(batch, name, row.name)) {
      batch.rows[batch.count++] = row;
      return;
    }
    batch.used = start;  // the pool is full: send what it holds and try again
    SendBatch(worker);
  }
}

void SinkAddRow(void* context, const Char* name, const Char* folder, std::uint64_t size) {
  BatchRow(*static_cast<WorkerContext*>(context), name, folder, size);
}

void SinkShowStatus(void* context, const Char* folder) {
  auto& worker = *static_cast<WorkerContext*>(context);
  // Rows met before this folder land before the status line moves on.
  SendBatch(worker);
  Ask(worker, WorkerStep::kShowStatus, folder);
}

bool SinkStopRequested(void* context) {
  auto& worker = *static_cast<WorkerContext*>(context);
  if (worker.state->CurrentWorker.load(std::memory_order_acquire) != worker.id) worker.stopped = true;
  return worker.stopped;
}

void AddBatchToTable(const AppState& state, const RowBatch& batch) {
  const ResultTable table = ResultTableOf(state.resultList);
  for (std::size_t i = 0; i < batch.count; ++i) {
    const RowBatch::Row& row = batch.rows[i];
    table.ops->addRow(table.table, &batch.texts[row.name], &batch.texts[row.folder], row.size);
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
  WorkerContext worker{&state, CurrentThreadWorkerId(), false, {}};
  worker.batch.count = 0;
  worker.batch.used = 0;
  TextBuffer root{};
  if (!Ask(worker, WorkerStep::kBegin) || !Ask(worker, WorkerStep::kReadPath, nullptr, &root)) return 0;

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
    case WorkerStep::kShowStatus:
      SetControlText(state.statusLine, request.text);
      break;
    case WorkerStep::kAddRows:
      AddBatchToTable(state, *request.batch);
      break;
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
