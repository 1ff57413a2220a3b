// Prints what ordering a hidden report list of many rows costs: the program's
// SortBySize with every size below 4 GiB (one key pass where LVM_SORTITEMSEX
// does not order) and with one size above (two passes), and one key pass
// split into its steps (reading and parsing the bytes cells, setting the row
// keys, the list's LVM_SORTITEMS). With --itemsex also the list's own
// LVM_SORTITEMSEX pass and whether it left the rows ordered (under Wine that
// takes minutes at 100k rows).
//   listview_sort_bench [rows] [--itemsex]      (default 100000)
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "bench/bench_clock.h"
#include "scan/listview_table.h"
#include "scan/size_text.h"

namespace {

// Sizes below 4 GiB, and with `huge` one of 5 GiB among them.
HWND FilledList(int rows, double& fillSeconds, bool huge = false) {
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 600, 400, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  hm::SetUpResultColumns(list);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  std::mt19937_64 random(1);
  const hm::ResultTable table = hm::ListViewResultTable(list);
  const double start = Now();
  for (int i = 0; i < rows; ++i) {
    std::uint64_t size = random() % (std::uint64_t{1} << (random() % 33));
    if (huge && i == rows / 2) size = std::uint64_t{5} << 30;
    table.ops->addRow(list, L"file.bin", L"C:\\some\\folder", size);
  }
  fillSeconds = Now() - start;
  return list;
}

int Inversions(HWND list) {
  const hm::ResultTable table = hm::ListViewResultTable(list);
  int inversions = 0;
  const int count = table.ops->count(list);
  for (int row = 1; row < count; ++row) inversions += hm::CompareRowsBySize(row - 1, row, table) > 0 ? 1 : 0;
  return inversions;
}

std::uint64_t BytesOf(HWND list, int row) {
  hm::TextBuffer bytes{};
  hm::kListViewTableOps.cellText(list, row, hm::kColumnBytes, bytes);
  return static_cast<std::uint64_t>(hm::ParseBytesText(bytes.data()));
}

void SetKey(HWND list, int row, LPARAM key) {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  item.lParam = key;
  SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

int CALLBACK CompareKeyHalves(LPARAM first, LPARAM second, LPARAM) {
  const auto a = static_cast<std::uint32_t>(first);
  const auto b = static_cast<std::uint32_t>(second);
  return a < b ? 1 : (a > b ? -1 : 0);
}

}  // namespace

int main(int argc, char** argv) {
  const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
  const bool itemsEx = argc > 2 && std::strcmp(argv[2], "--itemsex") == 0;
  INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&classes);

  double fill = 0;
  HWND list = nullptr;
  if (itemsEx) {
    list = FilledList(rows, fill);
    const double start = Now();
    SendMessageW(list, LVM_SORTITEMSEX, reinterpret_cast<WPARAM>(list),
                 reinterpret_cast<LPARAM>(static_cast<PFNLVCOMPARE>(hm::CompareListRowsBySize)));
    std::printf("LVM_SORTITEMSEX alone: %.3f s, %d adjacent pairs out of order afterwards\n", Now() - start,
                Inversions(list));
    DestroyWindow(list);
  }

  list = FilledList(rows, fill);
  std::printf("rows %d filled %.3f s (%.1f us per row, redraw off)\n", rows, fill, fill * 1e6 / rows);
  double start = Now();
  hm::kListViewTableOps.sortBySize(list);
  const double sortBySize = Now() - start;
  std::printf("SortBySize %.3f s, %d adjacent pairs out of order afterwards\n", sortBySize, Inversions(list));
  DestroyWindow(list);

  list = FilledList(rows, fill, true);
  start = Now();
  hm::kListViewTableOps.sortBySize(list);
  const double withHuge = Now() - start;
  std::printf("SortBySize with one size of 5 GiB %.3f s, %d adjacent pairs out of order afterwards\n", withHuge,
              Inversions(list));
  DestroyWindow(list);

  // One key pass by hand, each step timed on its own.
  list = FilledList(rows, fill);
  std::vector<std::uint64_t> sizes(static_cast<std::size_t>(rows));
  start = Now();
  for (int row = 0; row < rows; ++row) sizes[static_cast<std::size_t>(row)] = BytesOf(list, row);
  const double read = Now() - start;
  start = Now();
  for (int row = 0; row < rows; ++row) {
    SetKey(list, row, static_cast<LPARAM>(static_cast<std::uint32_t>(sizes[static_cast<std::size_t>(row)])));
  }
  const double setKeys = Now() - start;
  start = Now();
  SendMessageW(list, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(static_cast<PFNLVCOMPARE>(CompareKeyHalves)));
  const double sort = Now() - start;
  std::printf(
      "one key pass: read+parse %.3f s (%.2f us per cell), set keys %.3f s (%.2f us per row), "
      "LVM_SORTITEMS %.3f s\n",
      read, read * 1e6 / rows, setKeys, setKeys * 1e6 / rows, sort);
  DestroyWindow(list);
  return 0;
}
