// The yardstick the capture benchmark starts beside Quorvex.exe: a hidden dialog with nothing in it
// and a message loop, which is the least a resident program with a window does to start and idle.
#include <windows.h>

namespace {
INT_PTR CALLBACK IgnoreAll(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    struct {
        DLGTEMPLATE dialog;
        WORD menu, windowClass, title;
    } dialogTemplate{};
    dialogTemplate.dialog.style = WS_POPUP | WS_CAPTION;
    dialogTemplate.dialog.cx = 100;
    dialogTemplate.dialog.cy = 50;
    HWND window = CreateDialogIndirectParamA(instance, &dialogTemplate.dialog, nullptr, IgnoreAll, 0);
    if (!window) return 1;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(window, &message)) DispatchMessageA(&message);
    }
    return 0;
}
