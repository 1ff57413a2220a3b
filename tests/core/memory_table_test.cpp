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

}  // namespace
}  // namespace hm::test
