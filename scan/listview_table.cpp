#include "scan/listview_table.h"

#include <commctrl.h>

#include "scan/size_text.h"

namespace hm {
namespace {

HWND List(void* table) { return static_cast<HWND>(table); }

void SetCell(HWND list, int column, const Char* text) {
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = const_cast<Char*>(text);
  SendMessageW(list, LVM_SETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
}

void SetRowKey(HWND list, int row, LPARAM key) {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  item.lParam = key;
  SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void Clear(void* table) { SendMessageW(List(table), LVM_DELETEALLITEMS, 0, 0); }

int Count(void* table) { return static_cast<int>(SendMessageW(List(table), LVM_GETITEMCOUNT, 0, 0)); }

void AddRow(void* table, const Char* name, const Char* folder, std::uint64_t size) {
  HWND list = List(table);
  LVITEMW item{};  // mask 0, item 0: only the position is given
  // A row the list cannot take must not put its texts into the row below.
  if (SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0) return;
  TextBuffer sizeText{};
  TextBuffer bytesText{};
  FormatSizeText(size, sizeText);
  FormatBytesText(size, bytesText);
  SetCell(list, kColumnFile, name);
  SetCell(list, kColumnPath, folder);
  SetCell(list, kColumnBytes, bytesText.data());
  SetCell(list, kColumnSize, sizeText.data());
}

void CellText(void* table, int row, int column, TextBuffer& out) {
  out[0] = 0;
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = out.data();
  item.cchTextMax = kTextUnits;
  SendMessageW(List(table), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// LVM_SORTITEMS hands the comparison the rows' keys: here one 32-bit half of
// each size, compared unsigned, largest first.
int CALLBACK CompareRowKeys(LPARAM first, LPARAM second, LPARAM) {
  const auto a = static_cast<std::uint32_t>(first);
  const auto b = static_cast<std::uint32_t>(second);
  return a < b ? 1 : (a > b ? -1 : 0);
}

// Sets every row's key to one half of its size, parsed from its bytes text
// as the comparison parses it, and orders the rows by these keys. True when
// some size has a high half, that is, is 4 GiB or more.
bool SortByKeyHalf(HWND list, int count, int shift) {
  bool anyHighHalf = false;
  for (int row = 0; row < count; ++row) {
    TextBuffer bytes{};
    CellText(list, row, kColumnBytes, bytes);
    const auto size = static_cast<std::uint64_t>(ParseBytesText(bytes.data()));
    anyHighHalf = anyHighHalf || (size >> 32) != 0;
    SetRowKey(list, row, static_cast<LPARAM>(static_cast<std::uint32_t>(size >> shift)));
  }
  SendMessageW(list, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(static_cast<PFNLVCOMPARE>(CompareRowKeys)));
  return anyHighHalf;
}

// Orders the rows with stable LVM_SORTITEMS passes on 32-bit keys (a key is
// 32 bits on the 32-bit build): low halves of the sizes, then, only where a
// size is 4 GiB or more, high halves. The rows keep their last keys; nothing
// else reads them.
void SortByKeys(HWND list) {
  const int count = Count(list);
  if (SortByKeyHalf(list, count, 0)) SortByKeyHalf(list, count, 32);
}

void SortItemsEx(HWND list) {
  SendMessageW(list, LVM_SORTITEMSEX, reinterpret_cast<WPARAM>(list),
               reinterpret_cast<LPARAM>(static_cast<PFNLVCOMPARE>(CompareListRowsBySize)));
}

// Some list implementations (Wine's) leave LVM_SORTITEMSEX unordered, and
// take minutes over it for a hundred thousand rows. A few rows in a hidden
// list of the same kind tell whether this one orders.
bool SortItemsExOrders(HWND like) {
  HWND probe = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 0, 0, nullptr, nullptr,
                               reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(like, GWLP_HINSTANCE)), nullptr);
  if (probe == nullptr) return true;
  LVCOLUMNW column{};
  for (int index = 0; index < 4; ++index) {
    SendMessageW(probe, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
  }
  constexpr std::uint64_t kSizes[] = {5, 1, 9, 3, 7, 2, 8, 4, 6, 0, 11, 10, 15, 13, 12, 14};
  for (const std::uint64_t size : kSizes) AddRow(probe, L"", L"", size);
  SortItemsEx(probe);
  const bool ordered = RowsOrderedBySize(ListViewResultTable(probe));
  DestroyWindow(probe);
  return ordered;
}

void SortBySize(void* table) {
  HWND list = List(table);
  if (SortItemsExOrders(list)) {
    SortItemsEx(list);
    if (RowsOrderedBySize(ListViewResultTable(list))) return;
  }
  SortByKeys(list);
}

void SelectFirst(void* table) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(List(table), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
}

int FocusedSelectedRow(void* table) {
  return static_cast<int>(
      SendMessageW(List(table), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_FOCUSED | LVNI_SELECTED, 0)));
}

void Hide(void* table) { ShowWindow(List(table), SW_HIDE); }
void Show(void* table) { ShowWindow(List(table), SW_SHOWNORMAL); }

}  // namespace

const TableOps kListViewTableOps{Clear, Count, AddRow, CellText, SortBySize, SelectFirst, FocusedSelectedRow,
                                 Hide,  Show};

int CALLBACK CompareListRowsBySize(LPARAM first, LPARAM second, LPARAM list) {
  return CompareRowsBySize(static_cast<int>(first), static_cast<int>(second),
                           ListViewResultTable(reinterpret_cast<HWND>(list)));
}

void SetUpResultColumns(HWND list) {
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  for (int index = 0; index < static_cast<int>(kResultColumns.size()); ++index) {
    const ColumnSpec& spec = kResultColumns[static_cast<std::size_t>(index)];
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = spec.alignRight ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.cx = spec.width;
    column.pszText = const_cast<Char*>(spec.header);
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
  }
}

}  // namespace hm
