#include "res/resource.h"
#include "scan/text.h"
#include "ui/app.h"

namespace hm {
namespace {

constexpr Char kVersionWord[] = L" version ";

// Strings come from the running executable, at most 99 units each.
constexpr int kStringLimit = 100;

void FillAboutLines(HWND window) {
  HINSTANCE module = GetModuleHandleW(nullptr);
  TextBuffer line{};
  TextBuffer version{};
  LoadStringW(module, IDS_AUTHOR, line.data(), kStringLimit);
  SetDlgItemTextW(window, IDC_ABOUT_AUTHOR, line.data());
  LoadStringW(module, IDS_RIGHTS, line.data(), kStringLimit);
  SetDlgItemTextW(window, IDC_ABOUT_RIGHTS, line.data());
  // "Hulkmeter version 1.0": at most 99 + 9 + 99 units, so it always fits.
  LoadStringW(module, IDS_VERSION, version.data(), kStringLimit);
  CopyText(line.data(), kTextUnits, theApp.title.data());
  AppendText(line.data(), kTextUnits, kVersionWord);
  AppendText(line.data(), kTextUnits, version.data());
  SetDlgItemTextW(window, IDC_ABOUT_NAME, line.data());
}

}  // namespace

INT_PTR CALLBACK AboutDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      FillAboutLines(window);
      return TRUE;  // the focus goes to "OK"
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(window, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

void ShowAboutBox(AppState& state) {
  DialogBoxParamW(state.instance, MAKEINTRESOURCEW(IDD_ABOUT), state.mainWindow, AboutDialogProc, 0);
}

}  // namespace hm
