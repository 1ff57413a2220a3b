#include <windows.h>
#include <commctrl.h>

#include <array>

#include "control/scan_control.h"
#include "control/worker_message.h"
#include "res/resource.h"
#include "scan/listview_table.h"
#include "settings/registry_settings.h"
#include "ui/app.h"

namespace hm {
namespace {

void CloseMainWindow(AppState& state) {
  // The window goes at once; a running worker is not waited for and ends
  // with the process.
  EndDialog(state.mainWindow, IDC_CLOSE);
}

struct Command {
  WORD id;
  void (*run)(AppState& state);
};

constexpr std::array<Command, 7> kCommands{{
    {IDC_FIND, StartOrStopScan},
    {IDC_CLOSE, CloseMainWindow},
    {IDC_BROWSE, BrowseForRootFolder},
    {IDC_EXPLORE, ShowInExplorer},
    {IDC_HELP_FILE, OpenHelpFile},
    {IDC_ABOUT, ShowAboutBox},
    {IDC_HOME_PAGE, OpenHomePage},
}};

void RunCommand(AppState& state, WORD id) {
  for (const Command& command : kCommands) {
    if (command.id == id) {
      command.run(state);
      return;
    }
  }
}

}  // namespace

void InitMainWindow(AppState& state, HWND window) {
  state.mainWindow = window;
  state.resultList = GetDlgItem(window, IDC_RESULT_LIST);
  state.pathEdit = GetDlgItem(window, IDC_PATH_EDIT);
  state.statusLine = GetDlgItem(window, IDC_STATUS_LINE);
  state.findButton = GetDlgItem(window, IDC_FIND);

  // Shared icons from the program's resources: never destroyed.
  SendMessageW(window, WM_SETICON, ICON_SMALL,
               reinterpret_cast<LPARAM>(LoadIconW(state.instance, MAKEINTRESOURCEW(IDI_APP_SMALL))));
  SendMessageW(window, WM_SETICON, ICON_BIG,
               reinterpret_cast<LPARAM>(LoadIconW(state.instance, MAKEINTRESOURCEW(IDI_APP))));
  // A second start finds this window by its caption.
  SetWindowTextW(window, state.title.data());
  LoadSettings(state);
  SetUpResultColumns(state.resultList);
}

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      InitMainWindow(theApp, window);
      return TRUE;  // the focus goes to the first tab stop, "Find"
    case WM_COMMAND:
      RunCommand(theApp, LOWORD(wParam));
      return FALSE;
    case WM_NOTIFY:
      // A double click anywhere in the list opens the file manager.
      if (reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(NM_DBLCLK)) {
        SendMessageW(window, WM_COMMAND, IDC_EXPLORE, 0);
      }
      return FALSE;
    case WM_DESTROY:
      SaveSettings(theApp);
      return FALSE;
    case kWorkerRequestMessage:
      CarryOutWorkerRequest(theApp, *reinterpret_cast<WorkerRequest*>(lParam));
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace hm
