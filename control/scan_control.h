// The scan worker and the Find/Cancel command.
#pragma once

#include <array>
#include <cstdint>

#include "control/app_state.h"

namespace hm {

// Rows met by the walk, handed to the UI thread together: one round trip to
// the UI thread costs far more than inserting a row into a list that does
// not redraw. Lives on the worker's stack.
struct RowBatch {
  static constexpr std::size_t kRows = 256;
  static constexpr std::size_t kUnits = 16384;  // names and folders, terminators included
  struct Row {
    std::uint64_t size;
    std::size_t name;    // offset into texts
    std::size_t folder;  // offset into texts; shared by consecutive rows of one folder
  };
  std::array<Row, kRows> rows;
  std::array<Char, kUnits> texts;
  std::size_t count;
  std::size_t used;
};

// The worker's calls, each carried out on the UI thread in the order asked.
enum class WorkerStep {
  kBegin,            // "Cancel", list hidden and not redrawing
  kReadPath,         // the root path from the path edit
  kShowStatus,       // the status line shows a folder
  kAddRows,          // a batch of rows into the table
  kSortTable,        // largest first
  kBeep,             // the default beep
  kRestoreControls,  // "Find", empty status line
  kSelectFirst,      // row 0 selected and focused
  kShowList,         // redrawing on, list shown
  kRepaint,          // the main window marked for repaint
  kEnd,              // RunningFlag 0: the scan is over
};

struct WorkerRequest {
  WorkerId worker;
  WorkerStep step;
  const Char* text;       // kShowStatus
  TextBuffer* path;       // kReadPath
  const RowBatch* batch;  // kAddRows
  bool carriedOut;        // set by the UI thread; false once the scan was stopped
};

// Command 1, on the UI thread: clears the table, then stops the running scan
// or starts a new one. Never waits for a worker.
void StartOrStopScan(AppState& state);

// The worker's whole life: begin, read the root, walk, order, finish. Returns
// 0, the thread's exit code. Stops at once when its scan is no longer current.
std::uint32_t ScanWorker(AppState& state);

// On the UI thread: carries out one worker call, unless the scan it belongs
// to was stopped.
void CarryOutWorkerRequest(AppState& state, WorkerRequest& request);

}  // namespace hm
