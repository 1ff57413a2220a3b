#include "tests/support/recording_sink.h"

namespace hm::test {
namespace {

RecordingSink& Sink(void* context) { return *static_cast<RecordingSink*>(context); }

void AddRow(void* context, const Char* name, const Char* folder, std::uint64_t size) {
  RecordingSink& sink = Sink(context);
  sink.events.push_back(WalkEvent{true, name, folder, size});
  if (sink.table != nullptr) sink.table->ops->addRow(sink.table->table, name, folder, size);
}

void ShowStatus(void* context, const Char* folder) {
  Sink(context).events.push_back(WalkEvent{false, String(), folder, 0});
}

bool StopRequested(void* context) {
  RecordingSink& sink = Sink(context);
  ++sink.stopChecks;
  return sink.stopAfterRows >= 0 && static_cast<int>(sink.Rows().size()) >= sink.stopAfterRows;
}

}  // namespace

std::vector<WalkEvent> RecordingSink::Rows() const {
  std::vector<WalkEvent> rows;
  for (const WalkEvent& event : events) {
    if (event.isRow) rows.push_back(event);
  }
  return rows;
}

std::vector<String> RecordingSink::Statuses() const {
  std::vector<String> statuses;
  for (const WalkEvent& event : events) {
    if (!event.isRow) statuses.push_back(event.folder);
  }
  return statuses;
}

WalkSink SinkFor(RecordingSink& sink) { return WalkSink{&sink, AddRow, ShowStatus, StopRequested}; }

}  // namespace hm::test
