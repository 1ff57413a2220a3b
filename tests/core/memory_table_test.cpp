// The in-memory table: the shared contract, and what only it can show.
#include "standin/memory_table.h"
#include "tests/core/result_table_contract.h"
#include "tests/support/param_name.h"

namespace hm::test {
namespace {

ResultTable MakeMemoryTable() { return MemoryResultTable(*new MemoryTable()); }
void DestroyMemoryTable(const ResultTable& table) { delete static_cast<MemoryTable*>(table.table); }
bool MemoryTableVisible(const ResultTable& table) { return static_cast<MemoryTable*>(table.table)->visible; }

INSTANTIATE_TEST_SUITE_P(Memory, ResultTableContract,
                         ::testing::Values(TableMaker{"Memory", MakeMemoryTable, DestroyMemoryTable,
                                                      MemoryTableVisible}),
                         LabelName());

TEST(MemoryTable, RowThatDoesNotFitLeavesTheTopRowAlone) {
  MemoryTable memory;
  memory.capacity = 2;
  const ResultTable table = MemoryResultTable(memory);
  table.ops->addRow(table.table, P("first").c_str(), P("R").c_str(), 1);
  table.ops->addRow(table.table, P("second").c_str(), P("R").c_str(), 2);
  table.ops->addRow(table.table, P("refused").c_str(), P("Other").c_str(), 3);
  ASSERT_EQ(table.ops->count(table.table), 2);
  TextBuffer cell{};
  table.ops->cellText(table.table, 0, kColumnFile, cell);
  EXPECT_EQ(String(cell.data()), P("second"));
  table.ops->cellText(table.table, 0, kColumnBytes, cell);
  EXPECT_EQ(String(cell.data()), P("2"));
}

TEST(MemoryTable, SelectionFollowsItsRowThroughTheSort) {
  MemoryTable memory;
  const ResultTable table = MemoryResultTable(memory);
  table.ops->addRow(table.table, P("big").c_str(), P("R").c_str(), 100);
  table.ops->addRow(table.table, P("small").c_str(), P("R").c_str(), 1);  // row 0
  SetMemoryTableSelection(memory, 0, 0);
  table.ops->sortBySize(table.table);
  EXPECT_EQ(table.ops->focusedSelectedRow(table.table), 1);
  SetMemoryTableSelection(memory, 0, 1);  // selected and focused rows differ
  EXPECT_EQ(table.ops->focusedSelectedRow(table.table), -1);
}

TEST(MemoryTable, OrdersExactlyAsTheBytesTextsCompare) {
  // Sizes from 2^63 up parse to the same clamp, so they tie and keep their
  // arrival order; below it the order is by size.
  MemoryTable memory;
  const ResultTable table = MemoryResultTable(memory);
  const std::uint64_t sizes[] = {5, UINT64_MAX, 9223372036854775808u, 9223372036854775807u, 4294967296u};
  for (const std::uint64_t size : sizes) {
    table.ops->addRow(table.table, P(std::to_string(size).c_str()).c_str(), P("R").c_str(), size);
  }
  table.ops->sortBySize(table.table);
  std::vector<String> names;
  for (int row = 0; row < table.ops->count(table.table); ++row) {
    TextBuffer cell{};
    table.ops->cellText(table.table, row, kColumnFile, cell);
    names.emplace_back(cell.data());
  }
  EXPECT_EQ(names, (std::vector<String>{P("9223372036854775807"), P("9223372036854775808"), P("18446744073709551615"),
                                        P("4294967296"), P("5")}));
  EXPECT_TRUE(RowsOrderedBySize(table));
}

}  // namespace
}  // namespace hm::test
