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

// What the notification window saw. Like the main window it hands the callback message to the
// icon; a menu it owns is answered from the keyboard as soon as it waits for input.
struct WindowState {
    CTrayNotifyIcon* icon = nullptr;
    std::vector<UINT> seen;
    WPARAM command = 0;
    bool chooseFirst = false;
    HMENU shownMenu = nullptr;
};
WindowState g_state;

LRESULT CALLBACK NotifyWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ENTERIDLE && wParam == MSGF_MENU && !g_state.shownMenu) {
        HWND menuWindow = reinterpret_cast<HWND>(lParam);
        g_state.shownMenu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
        if (g_state.chooseFirst) PostMessageA(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(menuWindow, g_state.chooseFirst ? WM_CHAR : WM_KEYDOWN, g_state.chooseFirst ? '\r' : VK_ESCAPE, 0);
    }
    if (message == kCallback || message == WM_ENTERMENULOOP || message == WM_EXITMENULOOP || message == WM_COMMAND ||
        message == WM_NULL || message == TaskbarCreatedMessage()) {
        g_state.seen.push_back(message);
    }
    if (message == WM_COMMAND) g_state.command = wParam;
    if (message == kCallback && g_state.icon) return g_state.icon->OnCallbackMessage(wParam, lParam);
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

std::string VisibleTooltip() {
    char text[256] = "";
    for (HWND tip = nullptr; (tip = FindWindowExA(nullptr, tip, "tooltips_class32", nullptr)) != nullptr;) {
        if (IsWindowVisible(tip) && SendMessageA(tip, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text))) break;
    }
    return text;
}

class TrayNotifyIconTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_state = {icon.get(), {}, 0, false, nullptr};
        SetCursorPos(0, 0);  // off the taskbar: an icon added under the cursor would report the cursor
        ASSERT_NE(window.m_hWnd = MakeWindow(), nullptr);
    }
    void TearDown() override {
        Shell(NIM_DELETE, window.m_hWnd);
        DestroyWindow(window.m_hWnd);
    }

    static HWND MakeWindow() {
        static const WNDCLASSA wc{0, NotifyWindowProc, 0, 0, GetModuleHandleA(nullptr), nullptr, nullptr, nullptr,
                                  nullptr, "QuorvexTrayTestWnd"};
        static const ATOM atom = RegisterClassA(&wc);
        return CreateWindowA(MAKEINTATOM(atom), "", 0, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    }
    BOOL CreateIcon(const char* tooltip = "Clipboard Quorvex") {
        HICON appIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
        return icon->Create(&window, kIconId, tooltip, appIcon, kCallback);
    }
    bool ShellHolds() const { return Shell(NIM_MODIFY, window.m_hWnd); }
    LRESULT TaskbarCreated() { return SendMessageA(window.m_hWnd, TaskbarCreatedMessage(), 0, 0); }
    HMENU Popup() const { return icon->TrayMenu().GetSubMenu(0); }

    // A right click on the icon; should the menu never wait for input, a timer closes it.
    LRESULT RightClick(bool chooseFirst) {
        g_state = {icon.get(), {}, 0, chooseFirst, nullptr};
        UINT_PTR watchdog = SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
        LRESULT result = icon->OnCallbackMessage(kIconId, WM_RBUTTONUP);
        KillTimer(nullptr, watchdog);
        EXPECT_TRUE(PumpUntil([] { return !g_state.seen.empty() && g_state.seen.back() == WM_NULL; }, 2000));
        PumpFor(100);
        return result;
    }
    // The desktop's taskbar lines its icons up from its right end and turns a mouse message over
    // one into that icon's callback: that finds the test's icon, and the cursor is put on it.
    bool PointAtIcon() {
        RECT bar{};
        GetClientRect(taskbar = FindWindowA("Shell_TrayWnd", nullptr), &bar);
        PostMessageA(taskbar, WM_MOUSEMOVE, 0, 0);  // off every icon, so the taskbar's tooltip starts afresh
        for (spot = {bar.right - 4, bar.bottom / 2}; spot.x > bar.right - 400; spot.x -= 8) {
            g_state.seen.clear();
            PostMessageA(taskbar, WM_MOUSEMOVE, 0, MAKELPARAM(spot.x, spot.y));
            if (!PumpUntil([] { return !g_state.seen.empty(); }, 100)) continue;
            POINT at = spot;
            return ClientToScreen(taskbar, &at) && SetCursorPos(at.x, at.y);
        }
        return false;
    }

    CWnd window;
    std::unique_ptr<CTrayNotifyIcon> icon = std::make_unique<CTrayNotifyIcon>();
    HWND taskbar = nullptr;
    POINT spot{};
};

using Seen = std::vector<UINT>;

TEST_F(TrayNotifyIconTest, CreateAddsTheIconWithTheMenuOfTheIconIdAndTheDestructorUndoesIt) {
    ASSERT_TRUE(CreateIcon());
    EXPECT_TRUE(ShellHolds());
    EXPECT_EQ(GetMenuItemID(Popup(), 0), static_cast<UINT>(ID_APP_ABOUT));
    EXPECT_EQ(GetMenuDefaultItem(Popup(), FALSE, 0), static_cast<UINT>(ID_APP_ABOUT));

    // Destroyed, the icon leaves the shell and a window that lives on.
    g_state.icon = nullptr;
    icon.reset();
    EXPECT_FALSE(ShellHolds());
    EXPECT_EQ(GetWindowLongPtrA(window.m_hWnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&NotifyWindowProc));
}

TEST_F(TrayNotifyIconTest, ADoubleClickRunsTheFirstItemARightClickShowsThePopupAndOtherIconsAreIgnored) {
    ASSERT_TRUE(CreateIcon());
    EXPECT_EQ(icon->OnCallbackMessage(kIconId + 1, WM_LBUTTONDBLCLK), 0);
    EXPECT_EQ(icon->OnCallbackMessage(kIconId + 1, WM_RBUTTONUP), 0);
    EXPECT_EQ(icon->OnCallbackMessage(kIconId, WM_LBUTTONUP), 1);
    PumpFor(100);
    EXPECT_EQ(g_state.seen, Seen{});

    // Sent, not posted: the command has been handled by the time the call returns; no menu came up.
    EXPECT_EQ(icon->OnCallbackMessage(kIconId, WM_LBUTTONDBLCLK), 1);
    EXPECT_EQ(g_state.seen, Seen{WM_COMMAND});
    EXPECT_EQ(g_state.command, static_cast<WPARAM>(ID_APP_ABOUT));

    EXPECT_EQ(RightClick(false), 1);
    EXPECT_EQ(g_state.shownMenu, Popup());
    EXPECT_EQ(g_state.seen, (Seen{WM_ENTERMENULOOP, WM_EXITMENULOOP, WM_NULL}));
    EXPECT_EQ(RightClick(true), 1);
    EXPECT_EQ(g_state.seen, (Seen{WM_ENTERMENULOOP, WM_EXITMENULOOP, WM_COMMAND, WM_NULL}));
    EXPECT_EQ(LOWORD(g_state.command), ID_APP_ABOUT);
}

TEST_F(TrayNotifyIconTest, TaskbarCreatedBringsBackTheSameIconButNotAfterHideFromTray) {
    const std::string longTip = "Clipboard Quorvex " + std::string(80, '.');
    ASSERT_TRUE(CreateIcon(longTip.c_str()));
    ASSERT_TRUE(Shell(NIM_DELETE, window.m_hWnd));  // a restarted shell knows nothing of the icon
    EXPECT_EQ(TaskbarCreated(), 0);
    EXPECT_EQ(g_state.seen, Seen{}) << "the hook keeps the broadcast to itself";
    ASSERT_TRUE(ShellHolds());

    // Back on the taskbar with its tooltip, cut to the 63 characters the short record carries,
    // and a double click there reaches this icon.
    ASSERT_TRUE(PointAtIcon()) << "the icon is not on the taskbar of a Wine virtual desktop";
    std::string tip;
    EXPECT_TRUE(PumpUntil([&] { return !(tip = VisibleTooltip()).empty(); }, 4000));
    EXPECT_EQ(tip, longTip.substr(0, 63));
    PostMessageA(taskbar, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(spot.x, spot.y));
    EXPECT_TRUE(PumpUntil([] { return g_state.command == ID_APP_ABOUT; }, 3000));

    EXPECT_TRUE(icon->HideFromTray());
    EXPECT_EQ(TaskbarCreated(), 0);
    EXPECT_FALSE(ShellHolds());
    // A second hide leaves alone another icon that now has the same window and id.
    ASSERT_TRUE(Shell(NIM_ADD, window.m_hWnd));
    EXPECT_TRUE(icon->HideFromTray());
    EXPECT_TRUE(ShellHolds());
}

TEST_F(TrayNotifyIconTest, ARefusedIconComesAtTheNextTaskbarCreatedAndARetryKeepsOneMenuAndOneHook) {
    ASSERT_TRUE(Shell(NIM_ADD, window.m_hWnd));
    ASSERT_FALSE(CreateIcon()) << "the shell refuses a second icon with the same window and id";
    const HMENU firstMenu = icon->TrayMenu().GetSafeHmenu();
    ASSERT_TRUE(IsMenu(firstMenu));
    // The pending icon takes the place of the stale one: a double click there now reaches it.
    TaskbarCreated();
    ASSERT_TRUE(PointAtIcon()) << "the icon is not on the taskbar of a Wine virtual desktop";
    PostMessageA(taskbar, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(spot.x, spot.y));
    EXPECT_TRUE(PumpUntil([] { return g_state.command == ID_APP_ABOUT; }, 3000));

    ASSERT_TRUE(Shell(NIM_DELETE, window.m_hWnd));
    ASSERT_TRUE(CreateIcon());
    EXPECT_FALSE(IsMenu(firstMenu)) << "the menu of the refused attempt was left behind";
    auto* hook = static_cast<CHookWnd*>(GetPropA(window.m_hWnd, "HookWnd_P"));
    ASSERT_NE(hook, nullptr);
    EXPECT_EQ(hook->NextHook(), nullptr) << "the hook was attached twice";
}

}  // namespace
