// The scan control's window and thread calls on Windows.

#include "control/scan_control.h"
#include "control/ui_calls.h"
#include "control/worker_message.h"
#include "scan/listview_table.h"

namespace hm {
namespace {

DWORD WINAPI ScanWorkerThread(LPVOID parameter) { return ScanWorker(*static_cast<AppState*>(parameter)); }

}  // namespace

void SetControlText(WindowHandle control, const Char* text) { SetWindowTextW(control, text); }

void ReadControlText(WindowHandle control, TextBuffer& text) {
  text[0] = 0;
  GetWindowTextW(control, text.data(), kTextUnits);
}

void ShowControl(WindowHandle control, bool visible) { ShowWindow(control, visible ? SW_SHOWNORMAL : SW_HIDE); }

void SetControlRedraw(WindowHandle control, bool redraw) {
  SendMessageW(control, WM_SETREDRAW, redraw ? TRUE : FALSE, 0);
}

void RepaintWindow(WindowHandle window) { InvalidateRect(window, nullptr, TRUE); }

void SoundBeep() { MessageBeep(MB_OK); }

void ShowMessage(WindowHandle owner, const Char* text, const Char* caption, MessageIcon icon) {
  const UINT iconStyle = icon == MessageIcon::kError ? UINT{MB_ICONERROR} : UINT{MB_ICONINFORMATION};
  MessageBoxW(owner, text, caption, UINT{MB_OK} | iconStyle);
}

ResultTable ResultTableOf(WindowHandle list) { return ListViewResultTable(list); }

bool StartWorkerThread(AppState& state, ThreadHandle& handle, WorkerId& worker) {
  handle = CreateThread(nullptr, 0, ScanWorkerThread, &state, 0, nullptr);
  if (handle == nullptr) return false;  // CreateThread's "no thread" value
  worker = GetThreadId(handle);
  return true;
}

void CloseThreadHandle(ThreadHandle handle) {
  if (handle != nullptr) CloseHandle(handle);
}

WorkerId CurrentThreadWorkerId() { return GetCurrentThreadId(); }

std::uint64_t MonotonicMilliseconds() { return GetTickCount64(); }

void CallOnUiThread(AppState& state, WorkerRequest& request) {
  // SendMessageW carries the call out on the window's thread and waits; once
  // the window is gone it fails and the request stays not carried out.
  SendMessageW(state.mainWindow, kWorkerRequestMessage, 0, reinterpret_cast<LPARAM>(&request));
}

// Replying to the sent message ends the sender's SendMessageW; the handler
// goes on.
void ReleaseWaitingWorker() { ReplyMessage(TRUE); }

}  // namespace hm
