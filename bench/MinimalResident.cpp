// The yardstick the footprint and capture benchmarks start beside Quorvex.exe: what any resident
// clipboard program must do at start and nothing more. OLE initialised, a hidden dialog, an icon
// in the notification area, a place in the clipboard viewer chain, the program's 32 hotkeys
// registered, and a message loop.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <initializer_list>

namespace {

const UINT kTrayMessage = WM_APP + 1;
HWND s_nextViewer = nullptr;

INT_PTR CALLBACK MinimalDialog(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DRAWCLIPBOARD:
        if (s_nextViewer) SendNotifyMessageW(s_nextViewer, message, wParam, lParam);
        return TRUE;
    case WM_CHANGECBCHAIN:
        if (reinterpret_cast<HWND>(wParam) == s_nextViewer)
            s_nextViewer = reinterpret_cast<HWND>(lParam);
        else if (s_nextViewer)
            SendNotifyMessageW(s_nextViewer, message, wParam, lParam);
        return TRUE;
    case WM_DESTROY:
        ChangeClipboardChain(window, s_nextViewer);
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (FAILED(OleInitialize(nullptr))) return 1;
    struct {
        DLGTEMPLATE dialog;
        WORD menu, windowClass, title;
    } dialogTemplate{};
    dialogTemplate.dialog.style = WS_POPUP | WS_CAPTION;
    dialogTemplate.dialog.cx = 100;
    dialogTemplate.dialog.cy = 50;
    HWND window = CreateDialogIndirectParamW(instance, &dialogTemplate.dialog, nullptr, MinimalDialog, 0);
    if (!window) return 1;

    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = window;
    icon.uID = 1;
    icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    icon.uCallbackMessage = kTrayMessage;
    icon.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
    lstrcpynW(icon.szTip, L"Minimal resident program", ARRAYSIZE(icon.szTip));
    Shell_NotifyIconW(NIM_ADD, &icon);

    s_nextViewer = SetClipboardViewer(window);

    // The program's keys: Ctrl+Win+digit, Win+digit, Ctrl+digit, Win+Insert and Win+Delete.
    int id = 1;
    for (UINT modifiers : {MOD_CONTROL | MOD_WIN, MOD_WIN, MOD_CONTROL})
        for (UINT key = '0'; key <= '9'; ++key) RegisterHotKey(window, id++, modifiers | MOD_NOREPEAT, key);
    RegisterHotKey(window, id++, MOD_WIN | MOD_NOREPEAT, VK_INSERT);
    RegisterHotKey(window, id++, MOD_WIN | MOD_NOREPEAT, VK_DELETE);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(window, &message)) DispatchMessageW(&message);
    }
    Shell_NotifyIconW(NIM_DELETE, &icon);
    OleUninitialize();
    return 0;
}
