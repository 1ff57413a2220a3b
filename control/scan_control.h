// The scan worker and the Find/Cancel command.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "control/app_state.h"

namespace hm {

// What the walk met, handed to the UI thread together: files as rows and
// sub-folders as status-line changes, in the order met. One round trip to the
// UI thread costs far more than inserting a row into a list that does not
// redraw. The worker fills one batch while the UI thread takes the other; both
// live on the worker's stack.
struct RowBatch {
  static constexpr std::size_t kEntries = 256;
  static constexpr std::size_t kUnits = 16384;  // texts, terminators included
  struct Entry {
    bool isStatus;       // a status-line change to `folder`, or a row
    std::uint64_t size;  // rows only
    std::size_t name;    // rows only: offset into texts
    std::size_t folder;  // offset into texts; shared by consecutive entries of one folder
  };
  std::array<Entry, kEntries> entries;
  std::array<Char, kUnits> texts;
  std::size_t count;
  std::size_t used;
};

// The worker's calls, each carried out on the UI thread in the order asked.
enum class WorkerStep {
  kBegin,            // "Cancel", list hidden and not redrawing
  kReadPath,         // the root path from the path edit
  kTakeBatch,        // rows into the table, status-line changes, in order
  kSortTable,        // largest first
  kBeep,             // the default beep
  kRestoreControls,  // "Find", empty status line
  kSelectFirst,      // row 0 selected and focused
  kShowList,         // redrawing on, list shown
  kRepaint,          // the main window marked for repaint
  kEnd,              // RunningFlag 0: the scan is over
};

// A status-line change goes over at once, rows with it, when this long has
// passed since the last hand-over (and always the first of a scan); otherwise
// it waits in the batch.
constexpr std::uint64_t kStatusIntervalMs = 50;

struct WorkerRequest {
  WorkerId worker;
  WorkerStep step;
  TextBuffer* path;       // kReadPath
  const RowBatch* batch;  // kTakeBatch
  bool carriedOut;        // set by the UI thread; false once the scan was stopped
};

// Command 1, on the UI thread: clears the table, then stops the running scan
// or starts a new one. Never waits for a worker.
void StartOrStopScan(AppState& state);

// The worker's whole life: begin, read the root, walk, order, finish. Returns
// 0, the thread's exit code. Stops at once when its scan is no longer current.
std::uint32_t ScanWorker(AppState& state);

// On the UI thread: carries out one worker call, unless the scan it belongs
// to was stopped. A batch is taken after the worker has been let go on (it
// then fills its other batch), so `request` is not read after that.
void CarryOutWorkerRequest(AppState& state, WorkerRequest& request);

}  // namespace hm
