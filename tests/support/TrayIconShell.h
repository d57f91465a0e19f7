#pragma once
#include <windows.h>
#include <shellapi.h>

#include "res/resource.h"

// NIM_ADD puts an icon of the test's own under the window and the program's icon id; NIM_MODIFY with
// nothing to change succeeds only for an icon the shell holds.
inline bool Shell(DWORD action, HWND window) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window;
    data.uID = IDR_TRAY_MENU;
    return Shell_NotifyIconA(action, &data) != FALSE;
}
