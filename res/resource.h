// Resource ids, shared by the resource script and the code.
#pragma once

#define IDS_TITLE 103
#define IDS_AUTHOR 1004
#define IDS_RIGHTS 1005
#define IDS_VERSION 1006

#define IDI_APP 107
#define IDI_APP_SMALL 108
#define IDD_MAIN 129
#define IDB_LOGO 130
#define IDD_ABOUT 131

// Main window controls. 1 and 2 are IDOK and IDCANCEL: Enter and Esc.
#define IDC_FIND 1
#define IDC_CLOSE 2
#define IDC_BROWSE 3
#define IDC_EXPLORE 4
#define IDC_HELP_FILE 5
#define IDC_ABOUT 6
#define IDC_HOME_PAGE 7
#define IDC_RESULT_LIST 1000
#define IDC_PATH_EDIT 1001
#define IDC_STATUS_LINE 1002

// About box controls.
#define IDC_ABOUT_NAME 1003
#define IDC_ABOUT_AUTHOR 1004
#define IDC_ABOUT_RIGHTS 1005
