#include "tests/core/result_table_contract.h"

#include <algorithm>

namespace hm::test {
namespace {

std::vector<String> Texts(std::initializer_list<const char*> texts) {
  std::vector<String> result;
  for (const char* text : texts) result.push_back(P(text));
  return result;
}

TEST_P(ResultTableContract, NewRowsGoOnTopWithTheirFourCells) {
  Add("a.bin", "D:\\Data", 1536);
  Add("b.iso", "D:\\Data\\Sub", 4294967296);
  Add("empty", "C:\\", 0);
  ASSERT_EQ(table_.ops->count(table_.table), 3);
  EXPECT_EQ(Column(kColumnFile), Texts({"empty", "b.iso", "a.bin"}));
  EXPECT_EQ(Column(kColumnPath), Texts({"C:\\", "D:\\Data\\Sub", "D:\\Data"}));
  EXPECT_EQ(Column(kColumnSize), Texts({"0.00 Bt", "4.00 Gb", "1.50 Kb"}));
  EXPECT_EQ(Column(kColumnBytes), Texts({"0", "4294967296", "1536"}));
}

TEST_P(ResultTableContract, CellsHoldTextsOf259Units) {
  const std::string longName(259, 'n');
  Add(longName.c_str(), "D:\\Data", 1);
  EXPECT_EQ(Cell(0, kColumnFile), P(longName.c_str()));
  EXPECT_EQ(Cell(5, kColumnFile), String());  // no such row: ""
}

TEST_P(ResultTableContract, SortOrdersLargestFirst) {
  Add("ten", "R", 10);
  Add("three-thousand", "R", 3000);
  Add("zero", "R", 0);
  Add("three-million", "R", 3000000);
  Add("four-gib-less-one", "R", 4294967295);
  Add("four-gib", "R", 4294967296);
  table_.ops->sortBySize(table_.table);
  EXPECT_EQ(Column(kColumnBytes), Texts({"4294967296", "4294967295", "3000000", "3000", "10", "0"}));
  EXPECT_EQ(Column(kColumnFile),
            Texts({"four-gib", "four-gib-less-one", "three-million", "three-thousand", "ten", "zero"}));
  EXPECT_TRUE(RowsOrderedBySize(table_));
}

TEST_P(ResultTableContract, SortKeepsEveryRowWithEqualSizes) {
  for (int i = 0; i < 40; ++i) {
    const std::string name = "f" + std::to_string(i);
    Add(name.c_str(), "R", static_cast<std::uint64_t>((i * 7919) % 5) << (i % 2 == 0 ? 0 : 32));
  }
  table_.ops->sortBySize(table_.table);
  EXPECT_TRUE(RowsOrderedBySize(table_));
  std::vector<String> names = Column(kColumnFile);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(std::unique(names.begin(), names.end()), names.end());
  EXPECT_EQ(names.size(), 40u);
}

TEST_P(ResultTableContract, SortOfEmptyAndSingleRowTables) {
  table_.ops->sortBySize(table_.table);
  EXPECT_EQ(table_.ops->count(table_.table), 0);
  Add("only", "R", 7);
  table_.ops->sortBySize(table_.table);
  EXPECT_EQ(Column(kColumnFile), Texts({"only"}));
  EXPECT_EQ(Column(kColumnBytes), Texts({"7"}));
}

TEST_P(ResultTableContract, CompareRowsBySizeReadsTheBytesCells) {
  Add("small", "R", 4294967295);
  Add("large", "R", 4294967296);  // row 0
  EXPECT_LT(CompareRowsBySize(0, 1, table_), 0);
  EXPECT_GT(CompareRowsBySize(1, 0, table_), 0);
  EXPECT_EQ(CompareRowsBySize(1, 1, table_), 0);
  EXPECT_TRUE(RowsOrderedBySize(table_));
  Add("larger", "R", 1);  // smaller size on top: out of order
  EXPECT_FALSE(RowsOrderedBySize(table_));
}

TEST_P(ResultTableContract, SelectFirstSelectsAndFocusesRowZero) {
  EXPECT_EQ(table_.ops->focusedSelectedRow(table_.table), -1);
  table_.ops->selectFirst(table_.table);  // empty: no effect
  EXPECT_EQ(table_.ops->focusedSelectedRow(table_.table), -1);
  Add("a", "R", 1);
  Add("b", "R", 2);
  table_.ops->sortBySize(table_.table);
  EXPECT_EQ(table_.ops->focusedSelectedRow(table_.table), -1);
  table_.ops->selectFirst(table_.table);
  EXPECT_EQ(table_.ops->focusedSelectedRow(table_.table), 0);
  EXPECT_EQ(Cell(0, kColumnFile), P("b"));
}

TEST_P(ResultTableContract, ClearRemovesRowsAndSelection) {
  Add("a", "R", 1);
  table_.ops->selectFirst(table_.table);
  table_.ops->clear(table_.table);
  EXPECT_EQ(table_.ops->count(table_.table), 0);
  EXPECT_EQ(table_.ops->focusedSelectedRow(table_.table), -1);
  Add("b", "R", 2);
  EXPECT_EQ(Column(kColumnFile), Texts({"b"}));
  EXPECT_EQ(table_.ops->focusedSelectedRow(table_.table), -1);
}

TEST_P(ResultTableContract, HideAndShow) {
  table_.ops->hide(table_.table);
  EXPECT_FALSE(GetParam().visible(table_));
  table_.ops->show(table_.table);
  EXPECT_TRUE(GetParam().visible(table_));
}

}  // namespace
}  // namespace hm::test
