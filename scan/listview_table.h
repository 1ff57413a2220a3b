// The result table as the main window's report-view list control.
#pragma once

#include <windows.h>

#include "scan/result_table.h"

namespace hm {

extern const TableOps kListViewTableOps;

inline ResultTable ListViewResultTable(HWND list) { return ResultTable{&kListViewTableOps, list}; }

// The grid lines and full-row selection, then the four columns in order.
void SetUpResultColumns(HWND list);

// The comparison LVM_SORTITEMSEX calls: two row indexes and the list itself.
int CALLBACK CompareListRowsBySize(LPARAM first, LPARAM second, LPARAM list);

}  // namespace hm
