#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <cstdio>
TEST(TrayProbe, Probe) {
    HWND w = CreateWindowA("STATIC", "probe", 0, 0,0,10,10, nullptr, nullptr, nullptr, nullptr);
    printf("Shell_TrayWnd=%p\n", (void*)FindWindowA("Shell_TrayWnd", nullptr));
    NOTIFYICONDATAA n{}; n.cbSize = NOTIFYICONDATAA_V1_SIZE; n.hWnd = w; n.uID = 5; n.uFlags = NIF_TIP|NIF_MESSAGE|NIF_ICON; n.uCallbackMessage = WM_USER+100;
    n.hIcon = LoadIconA(nullptr, (LPCSTR)IDI_APPLICATION);
    strcpy(n.szTip, "probe");
    printf("modify missing=%d\n", Shell_NotifyIconA(NIM_MODIFY, &n));
    printf("add=%d\n", Shell_NotifyIconA(NIM_ADD, &n));
    printf("add dup=%d\n", Shell_NotifyIconA(NIM_ADD, &n));
    printf("modify=%d\n", Shell_NotifyIconA(NIM_MODIFY, &n));
    printf("delete=%d\n", Shell_NotifyIconA(NIM_DELETE, &n));
    printf("delete again=%d\n", Shell_NotifyIconA(NIM_DELETE, &n));
    printf("modify after=%d\n", Shell_NotifyIconA(NIM_MODIFY, &n));
    DestroyWindow(w);
}
