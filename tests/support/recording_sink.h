// A walk sink that records what the walk reports, in order, and can pass the
// rows on to a result table and ask for a stop.
#pragma once

#include <cstdint>
#include <vector>

#include "scan/folder_walk.h"
#include "scan/result_table.h"
#include "tests/support/test_text.h"

namespace hm::test {

struct WalkEvent {
  bool isRow;  // a row, or a status-line text
  String name;
  String folder;  // the row's folder, or the status text
  std::uint64_t size;
};

struct RecordingSink {
  std::vector<WalkEvent> events;
  const ResultTable* table = nullptr;  // rows also go here when set
  int stopAfterRows = -1;              // ask for a stop once this many rows came
  int stopChecks = 0;

  std::vector<WalkEvent> Rows() const;
  std::vector<String> Statuses() const;
};

WalkSink SinkFor(RecordingSink& sink);

}  // namespace hm::test
