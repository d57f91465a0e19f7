#include "shell/TrayNotifyIcon.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "res/resource.h"
#include "support/Pump.h"
#include "support/TrayIconShell.h"

namespace {
constexpr UINT kIconId = IDR_TRAY_MENU;
constexpr UINT kCallback = WM_USER + 100;
using Seen = std::vector<UINT>;

// What the notification window saw. Like the main window it hands the callback message to the
// icon; a menu it owns is answered from the keyboard as soon as it waits for input.
CTrayNotifyIcon* g_icon;
Seen g_seen;
WPARAM g_command;
bool g_chooseFirst;
HMENU g_shownMenu;

LRESULT CALLBACK NotifyWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ENTERIDLE && wParam == MSGF_MENU && !g_shownMenu) {
        HWND menuWindow = reinterpret_cast<HWND>(lParam);
        g_shownMenu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
        if (g_chooseFirst) PostMessageA(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(menuWindow, g_chooseFirst ? WM_CHAR : WM_KEYDOWN, g_chooseFirst ? '\r' : VK_ESCAPE, 0);
    }
    for (UINT noted : {kCallback, UINT(WM_ENTERMENULOOP), UINT(WM_EXITMENULOOP), UINT(WM_COMMAND), UINT(WM_NULL),
                       TaskbarCreatedMessage()}) {
        if (message == noted) g_seen.push_back(message);
    }
    if (message == WM_COMMAND) g_command = wParam;
    if (message == kCallback && g_icon) return g_icon->OnCallbackMessage(wParam, lParam);
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

class TrayNotifyIconTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetCursorPos(0, 0);  // off the taskbar: an icon added under the cursor would report the cursor
        window.m_hWnd = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        SetWindowLongPtrA(window.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NotifyWindowProc));
        g_icon = icon.get();
        g_seen.clear();
        g_command = 0;
    }
    void TearDown() override {
        Shell(NIM_DELETE, window.m_hWnd);
        DestroyWindow(window.m_hWnd);
    }
    BOOL CreateIcon(const std::string& tooltip) {
        HICON appIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
        return icon->Create(&window, kIconId, tooltip.c_str(), appIcon, kCallback);
    }
    bool ShellHolds() const { return Shell(NIM_MODIFY, window.m_hWnd); }
    LRESULT TaskbarCreated() { return SendMessageA(window.m_hWnd, TaskbarCreatedMessage(), 0, 0); }

    CWnd window;
    std::unique_ptr<CTrayNotifyIcon> icon = std::make_unique<CTrayNotifyIcon>();
};

}  // namespace

TEST_F(TrayNotifyIconTest, ItsOwnClicksRunTheMenuOfTheIconIdAndTheDestructorTakesTheIconAndTheHookAway) {
    ASSERT_TRUE(CreateIcon("Clipboard Quorvex"));
    EXPECT_TRUE(ShellHolds());
    const HMENU popup = icon->TrayMenu().GetSubMenu(0);
    EXPECT_EQ(GetMenuItemID(popup, 0), static_cast<UINT>(ID_APP_ABOUT));
    EXPECT_EQ(GetMenuDefaultItem(popup, FALSE, 0), static_cast<UINT>(ID_APP_ABOUT));
    EXPECT_EQ(icon->OnCallbackMessage(kIconId + 1, WM_LBUTTONDBLCLK), 0);  // another icon's
    EXPECT_EQ(icon->OnCallbackMessage(kIconId + 1, WM_RBUTTONUP), 0);
    EXPECT_EQ(icon->OnCallbackMessage(kIconId, WM_LBUTTONUP), 1);
    PumpFor(100);
    EXPECT_EQ(g_seen, Seen{});
    // A double click runs the first item, sent, not posted: handled by the time the call returns; no menu came up.
    EXPECT_EQ(icon->OnCallbackMessage(kIconId, WM_LBUTTONDBLCLK), 1);
    EXPECT_EQ(g_seen, Seen{WM_COMMAND});
    EXPECT_EQ(g_command, static_cast<WPARAM>(ID_APP_ABOUT));

    // A right click shows the popup: closed with Escape, then with Enter on its first item.
    for (bool chooseFirst : {false, true}) {
        g_seen.clear();
        g_command = 0;
        g_chooseFirst = chooseFirst;
        g_shownMenu = nullptr;
        // Should the menu never wait for input, a timer closes it.
        UINT_PTR watchdog = SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
        EXPECT_EQ(icon->OnCallbackMessage(kIconId, WM_RBUTTONUP), 1);
        KillTimer(nullptr, watchdog);
        EXPECT_TRUE(PumpUntil([] { return !g_seen.empty() && g_seen.back() == WM_NULL; }, 2000));
        PumpFor(100);
        EXPECT_EQ(g_shownMenu, popup);
        EXPECT_EQ(g_seen, (chooseFirst ? Seen{WM_ENTERMENULOOP, WM_EXITMENULOOP, WM_COMMAND, WM_NULL}
                                       : Seen{WM_ENTERMENULOOP, WM_EXITMENULOOP, WM_NULL}));
        EXPECT_EQ(LOWORD(g_command), chooseFirst ? ID_APP_ABOUT : 0);
    }

    // Destroyed, the icon leaves the shell and a window that lives on.
    g_icon = nullptr;
    icon.reset();
    EXPECT_FALSE(ShellHolds());
    EXPECT_EQ(GetWindowLongPtrA(window.m_hWnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&NotifyWindowProc));
}

TEST_F(TrayNotifyIconTest, ARefusedIconComesAtTaskbarCreatedARetryKeepsOneMenuAndOneHookAndHideEndsBoth) {
    ASSERT_TRUE(Shell(NIM_ADD, window.m_hWnd));  // a stale icon, or a shell restarting
    const std::string longTip = "Clipboard Quorvex " + std::string(80, '.');
    ASSERT_FALSE(CreateIcon(longTip)) << "the shell refuses a second icon with the same window and id";
    const HMENU firstMenu = icon->TrayMenu().GetSafeHmenu();
    ASSERT_TRUE(IsMenu(firstMenu));
    EXPECT_EQ(TaskbarCreated(), 0);
    EXPECT_EQ(g_seen, Seen{}) << "the hook keeps the broadcast to itself";

    // The pending icon took the stale one's place. The taskbar lines its icons up from its right end and turns a
    // mouse message over one into that icon's callback: that finds this icon, and the cursor is put on it.
    HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    RECT bar{};
    GetClientRect(taskbar, &bar);
    PostMessageA(taskbar, WM_MOUSEMOVE, 0, 0);  // off every icon, so the taskbar's tooltip starts afresh
    POINT spot{bar.right - 4, bar.bottom / 2};
    for (; spot.x > bar.right - 400; spot.x -= 8) {
        g_seen.clear();
        PostMessageA(taskbar, WM_MOUSEMOVE, 0, MAKELPARAM(spot.x, spot.y));
        if (PumpUntil([] { return !g_seen.empty(); }, 100)) break;
    }
    ASSERT_FALSE(g_seen.empty()) << "the icon is not on the taskbar of a Wine virtual desktop";
    POINT at = spot;
    ClientToScreen(taskbar, &at);
    SetCursorPos(at.x, at.y);
    // Its tooltip is cut to the 63 characters the short record carries, and a double click there reaches it.
    char tip[256] = "";
    EXPECT_TRUE(PumpUntil([&] {
        for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, "tooltips_class32", nullptr)) != nullptr;) {
            if (IsWindowVisible(window) && SendMessageA(window, WM_GETTEXT, sizeof tip, LPARAM(tip))) return true;
        }
        return false;
    }, 4000));
    EXPECT_EQ(tip, longTip.substr(0, 63));
    PostMessageA(taskbar, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(spot.x, spot.y));
    EXPECT_TRUE(PumpUntil([] { return g_command == ID_APP_ABOUT; }, 3000));

    ASSERT_TRUE(Shell(NIM_DELETE, window.m_hWnd));
    ASSERT_TRUE(CreateIcon(longTip));
    EXPECT_FALSE(IsMenu(firstMenu)) << "the menu of the refused attempt was left behind";
    auto* hook = static_cast<CHookWnd*>(GetPropA(window.m_hWnd, "HookWnd_P"));
    ASSERT_NE(hook, nullptr);
    EXPECT_EQ(hook->NextHook(), nullptr) << "the hook was attached twice";

    // Hidden, it stays away at the next broadcast, and a second hide leaves alone another icon of the same window and id.
    EXPECT_TRUE(icon->HideFromTray());
    EXPECT_EQ(TaskbarCreated(), 0);
    EXPECT_FALSE(ShellHolds());
    ASSERT_TRUE(Shell(NIM_ADD, window.m_hWnd));
    EXPECT_TRUE(icon->HideFromTray());
    EXPECT_TRUE(ShellHolds());
}
