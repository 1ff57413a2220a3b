// The table of found files: one row per file, four text cells.
#pragma once

#include <array>
#include <cstdint>

#include "scan/text.h"

namespace hm {

enum Column : int { kColumnFile = 0, kColumnPath = 1, kColumnSize = 2, kColumnBytes = 3 };

struct ColumnSpec {
  const Char* header;
  int width;  // pixels
  bool alignRight;
};

constexpr std::array<ColumnSpec, 4> kResultColumns{{
    {HM_TEXT("File"), 150, false},
    {HM_TEXT("Path"), 250, false},
    {HM_TEXT("Size"), 75, true},
    {HM_TEXT("Size in bites"), 75, true},
}};

// What a result table offers. On Windows these are messages to the list
// control; elsewhere an in-memory stand-in. `table` is the control's window
// or the stand-in's record.
struct TableOps {
  void (*clear)(void* table);
  int (*count)(void* table);
  // Inserts a row at the top. A row the table cannot take leaves it unchanged.
  void (*addRow)(void* table, const Char* name, const Char* folder, std::uint64_t size);
  // Copies one cell; "" for a row or column that does not exist.
  void (*cellText)(void* table, int row, int column, TextBuffer& out);
  void (*sortBySize)(void* table);
  void (*selectFirst)(void* table);
  int (*focusedSelectedRow)(void* table);  // -1 when no row is both
  void (*hide)(void* table);
  void (*show)(void* table);
};

struct ResultTable {
  const TableOps* ops;
  void* table;
};

// The ordering's comparison: reads cell 3 of both rows and compares the sizes,
// positive when the first row is the smaller (largest first).
int CompareRowsBySize(int first, int second, const ResultTable& table);

// One pass of CompareRowsBySize over adjacent rows.
bool RowsOrderedBySize(const ResultTable& table);

}  // namespace hm
