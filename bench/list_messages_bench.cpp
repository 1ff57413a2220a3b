// Prints what a hidden report list costs per row, and what the hand-over
// choices save: inserting with redrawing on against off, one cross-thread
// SendMessageW per list message against one per batch of rows, and how the
// cost of a row grows with the rows already in the list.
//   list_messages_bench [ROWS] [GROWTH_ROWS]     (default 25000 200000)
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "bench/bench_clock.h"
#include "scan/listview_table.h"
#include "scan/result_table.h"

namespace {

constexpr UINT kBatchMessage = WM_APP + 1;
constexpr UINT kDoneMessage = WM_APP + 2;
constexpr UINT kStatusMessage = WM_APP + 3;
constexpr int kBatchRows = 256;

HWND NewList() {
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 600, 400, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  hm::SetUpResultColumns(list);
  return list;
}

std::uint64_t RowSize(std::mt19937_64& random) { return random() % (std::uint64_t{1} << (random() % 33)); }

void AddRows(HWND list, int rows, std::mt19937_64& random) {
  for (int i = 0; i < rows; ++i) {
    hm::kListViewTableOps.addRow(list, L"file00.bin", L"Z:\\tmp\\tree\\dir0\\dir1", RowSize(random));
  }
}

// The program's five messages a row, but with the row put at the end of the
// list instead of at index 0: what the position costs.
double AppendSeconds(int rows) {
  HWND list = NewList();
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  const double start = Now();
  for (int i = 0; i < rows; ++i) {
    LVITEMW item{};
    item.iItem = i;
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    const wchar_t* cells[] = {L"file00.bin", L"Z:\\tmp\\tree\\dir0\\dir1", L"120.56 Kb", L"123456"};
    for (const int column : {0, 1, 3, 2}) {
      item.iSubItem = column;
      item.pszText = const_cast<wchar_t*>(cells[column]);
      SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
  }
  const double seconds = Now() - start;
  DestroyWindow(list);
  return seconds;
}

double InsertSeconds(int rows, bool redraw) {
  HWND list = NewList();
  SendMessageW(list, WM_SETREDRAW, redraw ? TRUE : FALSE, 0);
  std::mt19937_64 random(1);
  const double start = Now();
  AddRows(list, rows, random);
  const double seconds = Now() - start;
  DestroyWindow(list);
  return seconds;
}

struct Batch {
  int count;
  std::uint64_t sizes[kBatchRows];
};

struct Sender {
  HWND owner;  // a window of the first thread
  HWND list;   // the list, also of the first thread
  int rows;
  bool batched;
  double seconds;
};

LRESULT CALLBACK OwnerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kBatchMessage) {
    const auto* batch = reinterpret_cast<const Batch*>(lParam);
    HWND list = reinterpret_cast<HWND>(GetWindowLongPtrW(window, GWLP_USERDATA));
    for (int i = 0; i < batch->count; ++i) {
      hm::kListViewTableOps.addRow(list, L"file00.bin", L"Z:\\tmp\\tree\\dir0\\dir1", batch->sizes[i]);
    }
    return 0;
  }
  if (message == kStatusMessage) {
    SetWindowTextW(reinterpret_cast<HWND>(wParam), reinterpret_cast<const wchar_t*>(lParam));
    return 0;
  }
  if (message == kDoneMessage) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

DWORD WINAPI SendRows(void* parameter) {
  auto* sender = static_cast<Sender*>(parameter);
  std::mt19937_64 random(1);
  const double start = Now();
  if (sender->batched) {
    Batch batch{};
    for (int i = 0; i < sender->rows; ++i) {
      batch.sizes[batch.count++] = RowSize(random);
      if (batch.count == kBatchRows || i + 1 == sender->rows) {
        SendMessageW(sender->owner, kBatchMessage, 0, reinterpret_cast<LPARAM>(&batch));
        batch.count = 0;
      }
    }
  } else {
    // Every list message crosses to the list's thread on its own.
    AddRows(sender->list, sender->rows, random);
  }
  sender->seconds = Now() - start;
  PostMessageW(sender->owner, kDoneMessage, 0, 0);
  return 0;
}

double CrossThreadSeconds(HWND owner, int rows, bool batched) {
  HWND list = NewList();
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SetWindowLongPtrW(owner, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(list));
  Sender sender{owner, list, rows, batched, 0};
  HANDLE thread = CreateThread(nullptr, 0, SendRows, &sender, 0, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  if (static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) != rows) std::printf("rows lost\n");
  DestroyWindow(list);
  return sender.seconds;
}

struct RoundTrips {
  HWND owner;
  int count;
  double seconds;
};

DWORD WINAPI SendNothing(void* parameter) {
  auto* trips = static_cast<RoundTrips*>(parameter);
  const double start = Now();
  for (int i = 0; i < trips->count; ++i) SendMessageW(trips->owner, WM_NULL, 0, 0);
  trips->seconds = Now() - start;
  PostMessageW(trips->owner, kDoneMessage, 0, 0);
  return 0;
}

double RoundTripSeconds(HWND owner, int count) {
  RoundTrips trips{owner, count, 0};
  HANDLE thread = CreateThread(nullptr, 0, SendNothing, &trips, 0, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  return trips.seconds;
}

struct StatusSender {
  HWND owner;
  HWND status;
  int count;
  double seconds;
};

DWORD WINAPI SendStatus(void* parameter) {
  auto* sender = static_cast<StatusSender*>(parameter);
  wchar_t text[64];
  const double start = Now();
  for (int i = 0; i < sender->count; ++i) {
    wsprintfW(text, L"Z:\\tmp\\tree\\dir%d\\dir%d", i % 10, i);
    SendMessageW(sender->owner, kStatusMessage, reinterpret_cast<WPARAM>(sender->status),
                 reinterpret_cast<LPARAM>(text));
  }
  sender->seconds = Now() - start;
  PostMessageW(sender->owner, kDoneMessage, 0, 0);
  return 0;
}

// One status text per folder, as a walk shows it: a cross-thread send whose
// handler sets the text of a shown static control.
double StatusSeconds(HWND owner, int count) {
  HWND frame = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600, 100, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  HWND status = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP, 4, 4, 580, 20, frame,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  StatusSender sender{owner, status, count, 0};
  HANDLE thread = CreateThread(nullptr, 0, SendStatus, &sender, 0, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  DestroyWindow(frame);
  return sender.seconds;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int rows = argc > 1 ? _wtoi(argv[1]) : 25000;
  const int growthRows = argc > 2 ? _wtoi(argv[2]) : 200000;
  INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&classes);
  WNDCLASSW ownerClass{};
  ownerClass.lpfnWndProc = OwnerProcedure;
  ownerClass.hInstance = GetModuleHandleW(nullptr);
  ownerClass.lpszClassName = L"ListMessagesBenchOwner";
  RegisterClassW(&ownerClass);
  HWND owner = CreateWindowExW(0, ownerClass.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);

  const double off = InsertSeconds(rows, false);
  const double trip = RoundTripSeconds(owner, rows);
  const double batched = CrossThreadSeconds(owner, rows, true);
  const double perMessage = CrossThreadSeconds(owner, rows, false);
  const double on = InsertSeconds(rows, true);
  // The same as the first figure: how much the process has slowed since.
  const double offAgain = InsertSeconds(rows, false);
  std::printf("insert %d rows, same thread: redraw off %.3f s (%.1f us/row), redraw on %.3f s (%.1f us/row), x%.1f\n",
              rows, off, off * 1e6 / rows, on, on * 1e6 / rows, on / off);
  std::printf("insert %d rows, same thread, redraw off, again after the others: %.3f s (%.1f us/row)\n", rows, offAgain,
              offAgain * 1e6 / rows);
  std::printf("bare cross-thread SendMessageW: %.1f us per round trip\n", trip * 1e6 / rows);
  std::printf(
      "insert %d rows from a second thread, redraw off: one SendMessageW per %d rows %.3f s (%.1f us/row), "
      "one per list message (5 a row) %.3f s (%.1f us/row), x%.1f\n",
      rows, kBatchRows, batched, batched * 1e6 / rows, perMessage, perMessage * 1e6 / rows, perMessage / batched);

  const int folders = rows / 35;  // the trees hold about 35 files a folder
  const double statusSeconds = StatusSeconds(owner, folders);
  std::printf("status line from a second thread, one send per folder: %d folders %.3f s (%.1f us per folder)\n",
              folders, statusSeconds, statusSeconds * 1e6 / folders);

  const double atTop = InsertSeconds(growthRows, false);
  const double atEnd = AppendSeconds(growthRows);
  std::printf(
      "insert %d rows, same thread, redraw off: at index 0 %.3f s (%.1f us/row), at the end %.3f s (%.1f us/row)\n",
      growthRows, atTop, atTop * 1e6 / growthRows, atEnd, atEnd * 1e6 / growthRows);

  // Rows go in at the top, as the program adds them: the cost of a row by
  // how many the list already holds.
  HWND list = NewList();
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  std::mt19937_64 random(1);
  int held = 0;
  for (int step = rows; held < growthRows; step = held) {
    const int add = held + step > growthRows ? growthRows - held : step;
    const double start = Now();
    AddRows(list, add, random);
    const double seconds = Now() - start;
    std::printf("redraw off, rows %d..%d: %.3f s, %.1f us/row\n", held, held + add, seconds, seconds * 1e6 / add);
    held += add;
  }
  DestroyWindow(list);
  DestroyWindow(owner);
  return 0;
}
