#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include "scan/result_table.h"
#include "scan/listview_table.h"
#include "ui/app.h"
#include "ui/select_command.h"

namespace hm {
namespace {

constexpr Char kChooserTitle[] = L"Destination folder";
constexpr UINT kChooserFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;  // 0x51
static_assert(kChooserFlags == 0x51, "the chooser's flags");
constexpr Char kNoRowsText[] = L"There is no item in listview!";
constexpr Char kNoSelectionText[] = L"Please select a line!";
constexpr Char kFileManager[] = L"explorer.exe";
constexpr Char kHelpFile[] = L"hulkmeter.chm";
// The project's home page; the one place that names it.
constexpr Char kHomePage[] = L"https://hulkmeter.example.org/";

void ShowNotice(const AppState& state, const Char* text) {
  MessageBoxW(state.resultList, text, state.title.data(), MB_OK | MB_ICONINFORMATION);
}

}  // namespace

int CALLBACK BrowseCallback(HWND chooser, UINT message, LPARAM, LPARAM data) {
  // Opens the chooser on the folder that the path edit holds.
  if (message == BFFM_INITIALIZED && data != 0) SendMessageW(chooser, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

void BrowseForRootFolder(AppState& state) {
  TextBuffer path{};
  GetWindowTextW(state.pathEdit, path.data(), kTextUnits);

  BROWSEINFOW settings{};
  settings.hwndOwner = state.mainWindow;
  settings.lpszTitle = kChooserTitle;
  settings.ulFlags = kChooserFlags;
  settings.lpfn = BrowseCallback;
  settings.lParam = reinterpret_cast<LPARAM>(path.data());

  // The new-style chooser needs OLE on this thread; undone on every path.
  OleInitialize(nullptr);
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&settings);
  if (chosen != nullptr) {
    const bool hasPath = SHGetPathFromIDListW(chosen, path.data()) != FALSE;
    CoTaskMemFree(chosen);
    if (hasPath) SetWindowTextW(state.pathEdit, path.data());
  }
  OleUninitialize();
}

void ShowInExplorer(AppState& state) {
  const ResultTable table = ListViewResultTable(state.resultList);
  if (table.ops->count(table.table) == 0) {
    ShowNotice(state, kNoRowsText);
    return;
  }
  const int row = table.ops->focusedSelectedRow(table.table);
  if (row == -1) {
    ShowNotice(state, kNoSelectionText);
    return;
  }
  TextBuffer name{};
  TextBuffer folder{};
  table.ops->cellText(table.table, row, kColumnFile, name);
  table.ops->cellText(table.table, row, kColumnPath, folder);

  SelectCommand commandLine{};
  BuildSelectCommand(folder.data(), name.data(), commandLine);
  ShellExecuteW(state.mainWindow, nullptr, kFileManager, commandLine.data(), nullptr, SW_SHOWNORMAL);
}

void OpenHelpFile(AppState& state) {
  // By bare name: the shell looks in the current folder. A missing file is
  // not reported.
  ShellExecuteW(state.mainWindow, L"open", kHelpFile, nullptr, nullptr, SW_SHOWNORMAL);
}

void OpenHomePage(AppState& state) {
  ShellExecuteW(state.mainWindow, L"open", kHomePage, nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace hm
