#include <windows.h>
#include <commctrl.h>

#include "res/resource.h"
#include "ui/app.h"

namespace hm {

AppState theApp{};

int AppEntry(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  AppState& state = theApp;
  state.instance = instance;
  state.listing = &kPlatformListing;
  LoadStringW(instance, IDS_TITLE, state.title.data(), 100);

  // One main window at most: a window captioned with the title (letter case
  // aside) is taken for a running instance, which comes forward instead.
  HWND running = FindWindowW(nullptr, state.title.data());
  if (running != nullptr) {
    if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
    SetForegroundWindow(running);
    return 0;
  }

  // A scan puts hundreds of thousands of small blocks on the process heap
  // among the list's growing item arrays; the low-fragmentation heap keeps
  // them apart (it is the default on Windows since Vista; Wine needs asking).
  ULONG lowFragmentation = 2;
  HeapSetInformation(GetProcessHeap(), HeapCompatibilityInformation, &lowFragmentation, sizeof(lowFragmentation));
  // The list control's window class must exist before the dialog names it.
  const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&classes);
  DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainDialogProc, 0);
  return 0;
}

}  // namespace hm

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previousInstance, PWSTR commandLine, int showCommand) {
  return hm::AppEntry(instance, previousInstance, commandLine, showCommand);
}
