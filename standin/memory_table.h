// An in-memory result table, for builds and tools without a list control.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "scan/result_table.h"

namespace hm {

// Rows keep their size and two offsets into one shared text pool; consecutive
// rows of one folder share its text. The size and bytes texts are made from
// the size when a cell is read, so they are exactly what AddRow would set.
struct MemoryTable {
  struct Row {
    std::uint64_t size;
    std::uint32_t name;    // offset of the terminated name in `texts`
    std::uint32_t folder;  // offset of the terminated folder in `texts`
  };
  std::vector<Char> texts;
  std::vector<Row> rows;              // in the order they arrived
  std::deque<std::uint32_t> order;    // shown position -> index into `rows`
  std::size_t capacity = 0x7FFFFFFF;  // rows it takes; one more is refused
  std::int64_t selectedRow = -1;      // index into `rows`, or -1
  std::int64_t focusedRow = -1;
  bool visible = true;
};

extern const TableOps kMemoryTableOps;

inline ResultTable MemoryResultTable(MemoryTable& table) { return ResultTable{&kMemoryTableOps, &table}; }

// Gives a shown row the selected and focused states (as a click does), or
// takes them away with -1. The program itself only uses selectFirst.
void SetMemoryTableSelection(MemoryTable& table, int selectedRow, int focusedRow);

}  // namespace hm
