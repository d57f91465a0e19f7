// Resource and command ids of Quorvex.exe. Shared by the resource script and the C++ code.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_NEW_PROJECT 102
#define IDD_MAIN_WINDOW 103
#define IDD_PROJECTS 107
#define IDD_KEYS 108
#define IDR_MAINFRAME 128
#define IDR_TRAY_MENU 131
#define IDB_BANNER 134

// About box controls
#define IDC_MAKER_LINE 1050
#define IDC_RIGHTS_LINE 1051
#define IDC_WEB 1052
#define IDC_HELP_MANUAL 1056
#define IDC_BANNER 1060

// New-project dialog controls
#define IDC_NEW_PROJECT_NAME 1004
#define IDC_NEW_PROJECT_HOTKEY 1055

// Project list dialog controls
#define IDC_PROJECT_LIST 1053
#define IDC_PROJECT_NEW 1054
#define IDC_PROJECT_DELETE 4
#define IDC_PROJECT_EXPORT 1055
#define IDC_PROJECT_IMPORT 1056

// Keys dialog controls: the rows' lists and labels in the order of the hotkey groups
#define IDC_KEYS_LIST_FIRST 1070
#define IDC_KEYS_LABEL_FIRST 1080
#define IDC_KEYS_DEFAULTS 1090
#define IDC_KEYS_HELD 1091
#define IDC_KEYS_ALTGR 1092

// System-menu command of the about box
#define IDM_ABOUTBOX 0x0010

// Tray menu commands
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 32776
#define ID_FAVORITE_FIRST 32802  // Favorites items, slots 1 to 10
#define ID_FAVORITE_LAST 32811
#define ID_RECENT_FIRST 32812  // Recents items, slots 1 to 10
#define ID_RECENT_LAST 32821
#define ID_RECENT_CLEAR 32823
#define ID_RUN_AT_STARTUP 32824
#define ID_CURRENT_PROJECT 32838
#define ID_PROJECTS 32843
#define ID_APPEND_PASTE 32846
#define ID_APPEND_DELETE 32847
#define ID_APPEND_MODE 32848
#define ID_KEYS 32849
