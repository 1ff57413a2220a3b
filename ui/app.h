// The program's one AppState, and the routines of its windows.
#pragma once

#include <windows.h>

#include "control/app_state.h"

namespace hm {

// Lives as long as the process; the handles in it are set once when the main
// window initialises and only read afterwards.
extern AppState theApp;

// The program's wWinMain: single instance by caption, then the main window.
int AppEntry(HINSTANCE instance, HINSTANCE previousInstance, PWSTR commandLine, int showCommand);

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void InitMainWindow(AppState& state, HWND window);

INT_PTR CALLBACK AboutDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void ShowAboutBox(AppState& state);

// Commands that hand work to the shell.
void BrowseForRootFolder(AppState& state);
int CALLBACK BrowseCallback(HWND chooser, UINT message, LPARAM lParam, LPARAM data);
void ShowInExplorer(AppState& state);
void OpenHelpFile(AppState& state);
void OpenHomePage(AppState& state);

}  // namespace hm
