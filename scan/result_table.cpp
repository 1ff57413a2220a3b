#include "scan/result_table.h"

#include "scan/size_text.h"

namespace hm {

int CompareRowsBySize(int first, int second, const ResultTable& table) {
  TextBuffer firstBytes{};
  TextBuffer secondBytes{};
  table.ops->cellText(table.table, first, kColumnBytes, firstBytes);
  table.ops->cellText(table.table, second, kColumnBytes, secondBytes);
  return CompareBytesTexts(firstBytes.data(), secondBytes.data());
}

bool RowsOrderedBySize(const ResultTable& table) {
  const int count = table.ops->count(table.table);
  for (int row = 1; row < count; ++row) {
    if (CompareRowsBySize(row - 1, row, table) > 0) return false;
  }
  return true;
}

}  // namespace hm
