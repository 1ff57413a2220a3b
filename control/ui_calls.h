// What the scan control needs of the window system: the Windows calls in
// control/win32_ui_calls.cpp, or the stand-in UI thread on Linux.
#pragma once

#include <cstdint>

#include "control/app_state.h"
#include "scan/result_table.h"

namespace hm {

enum class MessageIcon { kError, kInformation };

// Carried out on the calling thread, which is the UI thread.
void SetControlText(WindowHandle control, const Char* text);
void ReadControlText(WindowHandle control, TextBuffer& text);
void ShowControl(WindowHandle control, bool visible);
// Switches a control's redrawing off while many changes arrive, and on again.
void SetControlRedraw(WindowHandle control, bool redraw);
// Marks the whole client area for repaint with background erase; no wait.
void RepaintWindow(WindowHandle window);
void SoundBeep();
void ShowMessage(WindowHandle owner, const Char* text, const Char* caption, MessageIcon icon);
ResultTable ResultTableOf(WindowHandle list);

// Starts ScanWorker(state) on a new thread with the default stack. False
// when no thread could be made; then `handle` is the "no thread" value.
bool StartWorkerThread(AppState& state, ThreadHandle& handle, WorkerId& worker);
void CloseThreadHandle(ThreadHandle handle);
WorkerId CurrentThreadWorkerId();

// A clock that only moves forward, in milliseconds.
std::uint64_t MonotonicMilliseconds();

struct WorkerRequest;
// From the worker: has the UI thread carry out `request` and waits for it.
// A request that cannot be delivered (the window is gone) is not carried out.
void CallOnUiThread(AppState& state, WorkerRequest& request);
// On the UI thread, inside CarryOutWorkerRequest: ends the worker's wait
// before the call is done. The call then must not read its request again.
void ReleaseWaitingWorker();

}  // namespace hm
