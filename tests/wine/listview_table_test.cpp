// The list control as the result table: the shared contract against a real
// report-view list in a hidden window, and the ordering on this platform.
#include <windows.h>
#include <commctrl.h>

#include <random>

#include "scan/listview_table.h"
#include "tests/core/result_table_contract.h"
#include "tests/support/param_name.h"

namespace hm::test {
namespace {

HWND CreateHiddenList() {
  INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&classes);
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 0, 0,
                              600, 400, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  SetUpResultColumns(list);
  return list;
}

ResultTable MakeListTable() { return ListViewResultTable(CreateHiddenList()); }
void DestroyListTable(const ResultTable& table) { DestroyWindow(static_cast<HWND>(table.table)); }
bool ListVisible(const ResultTable& table) { return IsWindowVisible(static_cast<HWND>(table.table)) != FALSE; }

INSTANTIATE_TEST_SUITE_P(ListView, ResultTableContract,
                         ::testing::Values(TableMaker{"ListView", MakeListTable, DestroyListTable, ListVisible}),
                         LabelName());

TEST(ListViewTable, ColumnsFromTheTable) {
  HWND list = CreateHiddenList();
  const wchar_t* headers[] = {L"File", L"Path", L"Size", L"Size in bites"};
  const int widths[] = {150, 250, 75, 75};
  const int formats[] = {LVCFMT_LEFT, LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_RIGHT};
  for (int index = 0; index < 4; ++index) {
    wchar_t text[64] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.pszText = text;
    column.cchTextMax = 64;
    ASSERT_TRUE(SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)));
    EXPECT_STREQ(text, headers[index]);
    EXPECT_EQ(column.cx, widths[index]);
    EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, formats[index]);
  }
  EXPECT_EQ(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  DestroyWindow(list);
}

TEST(ListViewTable, ManyRowsEndLargestFirstWithTheirOwnTexts) {
  // Sizes all below 4 GiB (one key pass where LVM_SORTITEMSEX does not order)
  // and spread over both halves (two passes), with repeats.
  for (const std::uint64_t highHalves : {std::uint64_t{1}, std::uint64_t{4}}) {
    SCOPED_TRACE(highHalves == 1 ? "below 4 GiB" : "both halves");
    HWND list = CreateHiddenList();
    const ResultTable table = ListViewResultTable(list);
    std::mt19937_64 random(7);
    constexpr int kRows = 500;
    for (int i = 0; i < kRows; ++i) {
      const std::uint64_t size = (random() % highHalves) << 32 | (random() % 50) << 26 | (random() % 3);
      const std::wstring name = L"row" + std::to_wstring(size);
      table.ops->addRow(list, name.c_str(), L"C:\\data", size);
    }
    table.ops->sortBySize(list);
    ASSERT_EQ(table.ops->count(list), kRows);
    EXPECT_TRUE(RowsOrderedBySize(table));
    for (int row = 0; row < kRows; ++row) {
      TextBuffer name{};
      TextBuffer bytes{};
      table.ops->cellText(list, row, kColumnFile, name);
      table.ops->cellText(list, row, kColumnBytes, bytes);
      ASSERT_EQ(std::wstring(name.data()), L"row" + std::wstring(bytes.data())) << "row " << row;
    }
    DestroyWindow(list);
  }
}

}  // namespace
}  // namespace hm::test
