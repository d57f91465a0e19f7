#include "shell/TrayNotifyIcon.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "res/resource.h"
#include "support/Pump.h"
#include "support/TrayIconShell.h"

namespace {
constexpr UINT kCallback = WM_USER + 100;
using Seen = std::vector<UINT>;

// What the notification window saw, a command as its id. A menu it owns is answered from the keyboard as soon as
// it waits for input.
Seen g_seen;
int g_menuAnswer;  // given once to a menu that waits for input: 1 Escape, 2 Enter on its first item

LRESULT CALLBACK NotifyWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ENTERIDLE && wParam == MSGF_MENU && g_menuAnswer) {
        HWND menuWindow = reinterpret_cast<HWND>(lParam);
        if (g_menuAnswer == 2) PostMessageA(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(menuWindow, g_menuAnswer == 2 ? WM_CHAR : WM_KEYDOWN, g_menuAnswer == 2 ? '\r' : VK_ESCAPE, 0);
        g_menuAnswer = 0;
    }
    if (message == WM_ENTERMENULOOP || message == WM_EXITMENULOOP || message == WM_NULL) g_seen.push_back(message);
    if (message == WM_COMMAND) g_seen.push_back(LOWORD(wParam));
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

}  // namespace

TEST(TrayNotifyIconTest, TheIconComesWhenTheShellTakesItAnswersItsOwnClicksWithItsMenuAndGoesWithIt) {
    SetCursorPos(0, 0);  // off the taskbar: an icon added under the cursor would report the cursor
    CWnd window;
    window.m_hWnd = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetWindowLongPtrA(window.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NotifyWindowProc));
    const HICON appIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    const std::string tip = "Clipboard Quorvex " + std::string(80, '.');
    auto shellHolds = [&] { return Shell(NIM_MODIFY, window.m_hWnd); };
    {
        CTrayNotifyIcon icon;
        // The shell refuses an icon while it holds one of the same window and id, or while it restarts: the icon
        // comes at the next "TaskbarCreated", which the hook answers, with its tooltip cut to the 63
        // characters the short record carries.
        ASSERT_TRUE(Shell(NIM_ADD, window.m_hWnd));
        ASSERT_FALSE(icon.Create(&window, IDR_TRAY_MENU, tip.c_str(), appIcon, kCallback));
        const HMENU firstMenu = icon.TrayMenu().GetSafeHmenu();
        ASSERT_TRUE(IsMenu(firstMenu));
        ASSERT_TRUE(Shell(NIM_DELETE, window.m_hWnd));
        EXPECT_EQ(SendMessageA(window.m_hWnd, TaskbarCreatedMessage(), 0, 0), 0);
        EXPECT_TRUE(shellHolds());
        EXPECT_EQ(icon.NotifyData().szTip, tip.substr(0, 63));

        // A retried Create starts from a fresh menu and leaves the one hook in place.
        ASSERT_TRUE(Shell(NIM_DELETE, window.m_hWnd));
        ASSERT_TRUE(icon.Create(&window, IDR_TRAY_MENU, tip.c_str(), appIcon, kCallback));
        EXPECT_TRUE(shellHolds());
        EXPECT_FALSE(IsMenu(firstMenu)) << "the menu of the refused attempt was left behind";
        ASSERT_NE(GetPropA(window.m_hWnd, "HookWnd_P"), nullptr);
        EXPECT_EQ(static_cast<CHookWnd*>(GetPropA(window.m_hWnd, "HookWnd_P"))->NextHook(), nullptr);

        // The menu is the icon id's, its first item the default. A double click runs that item, sent, not posted
        // (it has been handled by the time the call returns); a right click shows the menu, closed by Escape, then
        // by Enter on its first item. Other clicks and other icons' messages do nothing.
        EXPECT_EQ(GetMenuDefaultItem(icon.TrayMenu().GetSubMenu(0), FALSE, 0), static_cast<UINT>(ID_APP_ABOUT));
        const std::tuple<UINT, UINT, bool, LRESULT, Seen> clicks[] = {
            {IDR_TRAY_MENU + 1, WM_RBUTTONUP, false, 0, {}}, {IDR_TRAY_MENU, WM_LBUTTONUP, false, 1, {}},
            {IDR_TRAY_MENU, WM_LBUTTONDBLCLK, false, 1, {ID_APP_ABOUT}},
            {IDR_TRAY_MENU, WM_RBUTTONUP, false, 1, {WM_ENTERMENULOOP, WM_EXITMENULOOP, WM_NULL}},
            {IDR_TRAY_MENU, WM_RBUTTONUP, true, 1, {WM_ENTERMENULOOP, WM_EXITMENULOOP, ID_APP_ABOUT, WM_NULL}}};
        for (const auto& [id, mouse, chooseFirst, result, seen] : clicks) {
            g_seen.clear();
            g_menuAnswer = chooseFirst ? 2 : 1;
            // Should the menu never wait for input, a timer closes it.
            UINT_PTR watchdog = SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
            EXPECT_EQ(icon.OnCallbackMessage(id, mouse), result);
            KillTimer(nullptr, watchdog);
            PumpFor(mouse == WM_RBUTTONUP ? 300 : 50);
            EXPECT_EQ(g_seen, seen) << mouse;
        }
    }
    // Destroyed, the icon leaves the shell and a window that lives on.
    EXPECT_FALSE(shellHolds());
    EXPECT_EQ(GetWindowLongPtrA(window.m_hWnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&NotifyWindowProc));
    DestroyWindow(window.m_hWnd);
}
