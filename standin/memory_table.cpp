#include "standin/memory_table.h"

#include <algorithm>

#include "scan/size_text.h"

namespace hm {
namespace {

MemoryTable& Table(void* table) { return *static_cast<MemoryTable*>(table); }

std::uint32_t AddText(MemoryTable& table, const Char* text) {
  const auto offset = static_cast<std::uint32_t>(table.texts.size());
  const int length = TextLength(text);
  table.texts.insert(table.texts.end(), text, text + length);
  table.texts.push_back(0);
  return offset;
}

void Clear(void* table) {
  MemoryTable& t = Table(table);
  t.texts.clear();
  t.rows.clear();
  t.order.clear();
  t.selectedRow = -1;
  t.focusedRow = -1;
}

int Count(void* table) { return static_cast<int>(Table(table).order.size()); }

void AddRow(void* table, const Char* name, const Char* folder, std::uint64_t size) {
  MemoryTable& t = Table(table);
  if (t.rows.size() >= t.capacity) return;
  MemoryTable::Row row{size, 0, 0};
  const bool sameFolder = !t.rows.empty() && TextEquals(t.texts.data() + t.rows.back().folder, folder);
  row.folder = sameFolder ? t.rows.back().folder : AddText(t, folder);
  row.name = AddText(t, name);
  t.order.push_front(static_cast<std::uint32_t>(t.rows.size()));
  t.rows.push_back(row);
}

void RowCellText(const MemoryTable& t, std::uint32_t rowIndex, int column, TextBuffer& out) {
  const MemoryTable::Row& row = t.rows[rowIndex];
  switch (column) {
    case kColumnFile:
      CopyText(out.data(), kTextUnits, t.texts.data() + row.name);
      return;
    case kColumnPath:
      CopyText(out.data(), kTextUnits, t.texts.data() + row.folder);
      return;
    case kColumnSize:
      FormatSizeText(row.size, out);
      return;
    case kColumnBytes:
      FormatBytesText(row.size, out);
      return;
    default:
      out[0] = 0;
  }
}

void CellText(void* table, int row, int column, TextBuffer& out) {
  const MemoryTable& t = Table(table);
  out[0] = 0;
  if (row < 0 || static_cast<std::size_t>(row) >= t.order.size()) return;
  RowCellText(t, t.order[static_cast<std::size_t>(row)], column, out);
}

void SortBySize(void* table) {
  MemoryTable& t = Table(table);
  // The same order as comparing the bytes texts the way the list does:
  // those parse to the size, clamped to 2^63 - 1, compared unsigned. The
  // stored size gives it without formatting and parsing two texts per
  // comparison. Stable, so rows of equal size keep their order.
  static constexpr std::uint64_t kParsedLimit = INT64_MAX;
  std::stable_sort(t.order.begin(), t.order.end(), [&t](std::uint32_t first, std::uint32_t second) {
    return std::min(t.rows[first].size, kParsedLimit) > std::min(t.rows[second].size, kParsedLimit);
  });
}

void SelectFirst(void* table) {
  MemoryTable& t = Table(table);
  if (t.order.empty()) return;
  t.selectedRow = t.order.front();
  t.focusedRow = t.order.front();
}

int FocusedSelectedRow(void* table) {
  const MemoryTable& t = Table(table);
  if (t.selectedRow < 0 || t.selectedRow != t.focusedRow) return -1;
  const auto found = std::find(t.order.begin(), t.order.end(), static_cast<std::uint32_t>(t.selectedRow));
  return found == t.order.end() ? -1 : static_cast<int>(found - t.order.begin());
}

void Hide(void* table) { Table(table).visible = false; }
void Show(void* table) { Table(table).visible = true; }

}  // namespace

const TableOps kMemoryTableOps{Clear, Count, AddRow, CellText, SortBySize, SelectFirst, FocusedSelectedRow, Hide, Show};

void SetMemoryTableSelection(MemoryTable& table, int selectedRow, int focusedRow) {
  auto rowAt = [&table](int shown) -> std::int64_t {
    if (shown < 0 || static_cast<std::size_t>(shown) >= table.order.size()) return -1;
    return table.order[static_cast<std::size_t>(shown)];
  };
  table.selectedRow = rowAt(selectedRow);
  table.focusedRow = rowAt(focusedRow);
}

}  // namespace hm
