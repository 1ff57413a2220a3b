// What every result table must do, checked against each implementation: the
// in-memory stand-in everywhere and the list control under Wine.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "scan/result_table.h"
#include "tests/support/test_text.h"

namespace hm::test {

struct TableMaker {
  const char* label;
  ResultTable (*make)();
  void (*destroy)(const ResultTable& table);
  bool (*visible)(const ResultTable& table);
};

class ResultTableContract : public ::testing::TestWithParam<TableMaker> {
 protected:
  void SetUp() override { table_ = GetParam().make(); }
  void TearDown() override { GetParam().destroy(table_); }

  void Add(const char* name, const char* folder, std::uint64_t size) {
    table_.ops->addRow(table_.table, P(name).c_str(), P(folder).c_str(), size);
  }
  String Cell(int row, int column) {
    TextBuffer text{};
    table_.ops->cellText(table_.table, row, column, text);
    return String(text.data());
  }
  std::vector<String> Column(int column) {
    std::vector<String> cells;
    for (int row = 0; row < table_.ops->count(table_.table); ++row) cells.push_back(Cell(row, column));
    return cells;
  }

  ResultTable table_{};
};

}  // namespace hm::test
