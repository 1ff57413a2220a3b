// Prints what ordering a hidden report list of many rows costs: the list's own
// LVM_SORTITEMSEX pass, whether it left the rows ordered, and the whole
// SortBySize (with the two-pass completion where it is needed).
//   listview_sort_bench [rows]      (default 100000)
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <random>

#include "scan/listview_table.h"

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

HWND FilledList(int rows, double& fillSeconds) {
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 600, 400, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  hm::SetUpResultColumns(list);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  std::mt19937_64 random(1);
  const hm::ResultTable table = hm::ListViewResultTable(list);
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  for (int i = 0; i < rows; ++i) {
    const std::uint64_t size = random() % (std::uint64_t{1} << (random() % 40));
    table.ops->addRow(list, L"file.bin", L"C:\\some\\folder", size);
  }
  QueryPerformanceCounter(&end);
  fillSeconds = Seconds(start, end);
  return list;
}

int Inversions(HWND list) {
  const hm::ResultTable table = hm::ListViewResultTable(list);
  int inversions = 0;
  const int count = table.ops->count(list);
  for (int row = 1; row < count; ++row) inversions += hm::CompareRowsBySize(row - 1, row, table) > 0 ? 1 : 0;
  return inversions;
}

}  // namespace

int main(int argc, char** argv) {
  const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
  INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&classes);

  double fill = 0;
  HWND list = FilledList(rows, fill);
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  SendMessageW(list, LVM_SORTITEMSEX, reinterpret_cast<WPARAM>(list),
               reinterpret_cast<LPARAM>(static_cast<PFNLVCOMPARE>(hm::CompareListRowsBySize)));
  QueryPerformanceCounter(&end);
  std::printf("rows: %d, filled in %.3f s (%.1f us per row, redraw off)\n", rows, fill, fill * 1e6 / rows);
  std::printf("LVM_SORTITEMSEX alone: %.3f s, %d adjacent pairs out of order afterwards\n", Seconds(start, end),
              Inversions(list));
  DestroyWindow(list);

  list = FilledList(rows, fill);
  QueryPerformanceCounter(&start);
  hm::kListViewTableOps.sortBySize(list);
  QueryPerformanceCounter(&end);
  std::printf("SortBySize: %.3f s, %d adjacent pairs out of order afterwards\n", Seconds(start, end), Inversions(list));
  DestroyWindow(list);
  return 0;
}
