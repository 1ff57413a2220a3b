// Prints what ordering a hidden report list of many rows costs: the program's
// SortBySize, the same split into its steps (reading and parsing the bytes
// cells, setting the row keys, the list's LVM_SORTITEMS), and a variant that
// reads every cell once and orders in one pass. With --itemsex also the
// list's own LVM_SORTITEMSEX pass and whether it left the rows ordered (under
// Wine that takes minutes at 100k rows).
//   listview_sort_bench [rows] [--itemsex]      (default 100000)
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "scan/listview_table.h"
#include "scan/size_text.h"

namespace {

double Now() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

HWND FilledList(int rows, double& fillSeconds) {
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 600, 400, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  hm::SetUpResultColumns(list);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  std::mt19937_64 random(1);
  const hm::ResultTable table = hm::ListViewResultTable(list);
  const double start = Now();
  for (int i = 0; i < rows; ++i) {
    const std::uint64_t size = random() % (std::uint64_t{1} << (random() % 33));
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

// Keys are indexes into one array of the sizes read from the cells.
int CALLBACK CompareSizesAt(LPARAM first, LPARAM second, LPARAM sizes) {
  const auto* size = reinterpret_cast<const std::uint64_t*>(sizes);
  const std::uint64_t a = size[first];
  const std::uint64_t b = size[second];
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

  // The same two key passes by hand, each step timed on its own.
  list = FilledList(rows, fill);
  double read = 0, setKeys = 0, sort = 0;
  for (const int shift : {0, 32}) {
    std::vector<std::uint64_t> sizes(static_cast<std::size_t>(rows));
    start = Now();
    for (int row = 0; row < rows; ++row) sizes[static_cast<std::size_t>(row)] = BytesOf(list, row);
    read += Now() - start;
    start = Now();
    for (int row = 0; row < rows; ++row) {
      SetKey(list, row, static_cast<LPARAM>(static_cast<std::uint32_t>(sizes[static_cast<std::size_t>(row)] >> shift)));
    }
    setKeys += Now() - start;
    start = Now();
    SendMessageW(list, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(static_cast<PFNLVCOMPARE>(CompareKeyHalves)));
    sort += Now() - start;
  }
  start = Now();
  for (int row = 0; row < rows; ++row) SetKey(list, row, 0);
  const double reset = Now() - start;
  std::printf(
      "steps: read+parse %.3f s (%.2f us per cell), set keys %.3f s, LVM_SORTITEMS x2 %.3f s, reset keys %.3f s\n",
      read, read * 1e6 / (2.0 * rows), setKeys, sort, reset);
  DestroyWindow(list);

  // One read per row, the row's index as its key, one sort over the sizes.
  list = FilledList(rows, fill);
  start = Now();
  std::vector<std::uint64_t> sizes(static_cast<std::size_t>(rows));
  for (int row = 0; row < rows; ++row) {
    sizes[static_cast<std::size_t>(row)] = BytesOf(list, row);
    SetKey(list, row, row);
  }
  SendMessageW(list, LVM_SORTITEMS, reinterpret_cast<WPARAM>(sizes.data()),
               reinterpret_cast<LPARAM>(static_cast<PFNLVCOMPARE>(CompareSizesAt)));
  for (int row = 0; row < rows; ++row) SetKey(list, row, 0);
  const double onePass = Now() - start;
  std::printf("one pass (index keys, one LVM_SORTITEMS) %.3f s, %d adjacent pairs out of order, x%.2f faster\n",
              onePass, Inversions(list), sortBySize / onePass);
  DestroyWindow(list);
  return 0;
}
