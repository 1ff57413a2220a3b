// The private window message that carries a worker's call to the UI thread.
#pragma once

#include <windows.h>

namespace hm {

// wParam 0, lParam a WorkerRequest*; the main window hands it to
// CarryOutWorkerRequest.
constexpr UINT kWorkerRequestMessage = WM_APP + 1;

}  // namespace hm
