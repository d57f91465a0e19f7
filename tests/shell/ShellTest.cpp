#include "shell/HookWnd.h"
#include "shell/TrayNotifyIcon.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "support/Pump.h"
#include "support/TrayIconShell.h"

namespace {
using Log = std::vector<std::string>;
Log g_log;

// The window's own procedure answers WM_USER + 1 and + 2, and tells whether hooks were left when WM_NCDESTROY came.
LRESULT CALLBACK OwnProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCDESTROY) g_log.push_back(GetPropA(hWnd, "HookWnd_P") ? "hooked ncdestroy" : "own ncdestroy");
    if (message != WM_USER + 1 && message != WM_USER + 2) return DefWindowProcA(hWnd, message, wParam, lParam);
    g_log.push_back("own " + std::to_string(wParam) + ":" + std::to_string(lParam));
    return 1000 + static_cast<LRESULT>(wParam);
}

// Another program's subclass, put on the window after the hooks.
LRESULT CALLBACK LaterSubclass(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER + 1) g_log.push_back("later");
    return CallWindowProcA(&CHookWnd::HookWindowProc, hWnd, message, wParam, lParam);
}

// Logs its name for what it sees, keeps one message to itself and can send a second message to
// its window while it handles a first.
struct RecordingHook : CHookWnd {
    explicit RecordingHook(const char* hookName) : name(hookName) {}

    LRESULT HandleMessage(UINT message, WPARAM, LPARAM) override {
        if (message >= WM_USER && message < WM_USER + 100) g_log.push_back(name);
        if (message == swallowed) return 55;
        if (message == nestOn) SendMessageA(HookedHandle(), WM_USER + 2, 22, 222);
        return PassOn();
    }
    const std::string name;
    UINT swallowed = 0, nestOn = 0;
};

// For the tray icon: its callback message, and what its notification window sees.
constexpr UINT kCallback = WM_USER + 100;
using Seen = std::vector<UINT>;

// What the notification window saw, a command as its id. A menu it owns is answered from the keyboard as soon as
// it waits for input.
Seen g_seen;
int g_menuAnswer;  // given once to a menu that waits for input: 1 Escape, 2 Enter on its first item
RECT g_menuRect;   // where the menu was shown

LRESULT CALLBACK NotifyWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ENTERIDLE && wParam == MSGF_MENU && g_menuAnswer) {
        HWND menuWindow = reinterpret_cast<HWND>(lParam);
        GetWindowRect(menuWindow, &g_menuRect);
        if (g_menuAnswer == 2) PostMessageA(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(menuWindow, g_menuAnswer == 2 ? WM_CHAR : WM_KEYDOWN, g_menuAnswer == 2 ? '\r' : VK_ESCAPE, 0);
        g_menuAnswer = 0;
    }
    if (message == WM_ENTERMENULOOP || message == WM_EXITMENULOOP || message == WM_NULL) g_seen.push_back(message);
    if (message == WM_COMMAND) g_seen.push_back(LOWORD(wParam));
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

}  // namespace

TEST(HookWndTest, TheNewestHookSeesEachMessageFirstAndTheChainIsMendedAsHooksLeaveOrTheWindowGoes) {
    CWnd window;
    window.m_hWnd = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetWindowLongPtrA(window.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OwnProc));
    // Sends a message and returns who saw it, in order, and the result.
    auto deliver = [&](UINT message, WPARAM wParam = 1, LPARAM lParam = 2) {
        g_log.clear();
        g_log.push_back("=" + std::to_string(SendMessageA(window.m_hWnd, message, wParam, lParam)));
        return g_log;
    };
    RecordingHook first{"first"}, second{"second"}, third{"third"};
    for (RecordingHook* hook : {&first, &second, &third, &first}) hook->HookWindow(&window);  // hooked again: it stays
    EXPECT_EQ(deliver(WM_USER + 1, 7, 8), (Log{"third", "second", "first", "own 7:8", "=1007"}));
    // A hook that does not pass on keeps the message from the rest of the chain.
    second.swallowed = WM_USER + 5;
    first.swallowed = WM_USER + 6;
    EXPECT_EQ(deliver(WM_USER + 5), (Log{"third", "second", "=55"}));
    // A message sent while a hook handles another leaves the outer one for that hook's PassOn.
    third.nestOn = WM_USER + 1;
    EXPECT_EQ(deliver(WM_USER + 1, 11, 111),
              (Log{"third", "third", "second", "first", "own 22:222", "second", "first", "own 11:111", "=1011"}));

    second.UnhookWindow();  // the middle
    EXPECT_EQ(deliver(WM_USER + 6), (Log{"third", "first", "=55"}));
    third.UnhookWindow();  // the head
    EXPECT_EQ(deliver(WM_USER + 1), (Log{"first", "own 1:2", "=1001"}));
    first.UnhookWindow();  // the last: the window has its own procedure back
    EXPECT_EQ(GetPropA(window.m_hWnd, "HookWnd_P"), nullptr);
    EXPECT_EQ(GetWindowLongPtrA(window.m_hWnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&OwnProc));

    // Under a later subclass, hooks that go or are destroyed keep it and the window's own procedure.
    for (RecordingHook* hook : {&first, &second}) hook->HookWindow(&window);
    EXPECT_EQ(SetWindowLongPtrA(window.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LaterSubclass)),
              reinterpret_cast<LONG_PTR>(&CHookWnd::HookWindowProc));
    RecordingHook("short-lived").HookWindow(&window);  // destroyed while its window lives: it leaves the chain
    EXPECT_EQ(deliver(WM_USER + 1), (Log{"later", "second", "first", "own 1:2", "=1001"}));
    for (RecordingHook* hook : {&second, &first}) hook->UnhookWindow();
    EXPECT_EQ(GetWindowLongPtrA(window.m_hWnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&LaterSubclass));
    ASSERT_EQ(deliver(WM_USER + 1), (Log{"later", "own 1:2", "=1001"}));  // else the hooks below would call in a circle
    third.nestOn = 0;
    for (RecordingHook* hook : {&third, &first}) hook->HookWindow(&window);  // a new chain under the subclass
    EXPECT_EQ(deliver(WM_USER + 1), (Log{"later", "first", "third", "own 1:2", "=1001"}));

    // Destroying the window detaches every hook before its own procedure sees WM_NCDESTROY.
    g_log.clear();
    ASSERT_TRUE(DestroyWindow(window.m_hWnd));
    EXPECT_EQ(g_log, Log{"own ncdestroy"});
    EXPECT_TRUE(first.HookedHandle() == nullptr && third.HookedHandle() == nullptr);
}

TEST(TrayNotifyIconTest, TheIconComesWhenTheShellTakesItAnswersItsOwnClicksWithItsMenuAndGoesWithIt) {
    SetCursorPos(5, 5);  // off the taskbar: an icon added under the cursor would report the cursor
    CWnd window;
    window.m_hWnd = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetWindowLongPtrA(window.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NotifyWindowProc));
    const HICON appIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    const std::string tip = "Clipboard Quorvex " + std::string(80, '.');
    {
        CTrayNotifyIcon icon;
        // The shell refuses an icon while it holds one of the same window and id, or while it restarts: the icon
        // comes at the next "TaskbarCreated", which the hook answers, with its tooltip cut to the 63
        // characters the short record carries.
        ASSERT_TRUE(NotifyShell(NIM_ADD, window.m_hWnd));
        ASSERT_FALSE(icon.Create(&window, IDR_TRAY_MENU, tip.c_str(), appIcon, kCallback));
        const HMENU firstMenu = icon.TrayMenu().GetSafeHmenu();
        ASSERT_TRUE(IsMenu(firstMenu));
        ASSERT_TRUE(NotifyShell(NIM_DELETE, window.m_hWnd));
        EXPECT_EQ(SendMessageA(window.m_hWnd, TaskbarCreatedMessage(), 0, 0), 0);
        EXPECT_TRUE(NotifyShell(NIM_MODIFY, window.m_hWnd));
        EXPECT_EQ(icon.NotifyData().szTip, tip.substr(0, 63));

        // A retried Create starts from a fresh menu and leaves the one hook in place.
        ASSERT_TRUE(NotifyShell(NIM_DELETE, window.m_hWnd));
        ASSERT_TRUE(icon.Create(&window, IDR_TRAY_MENU, tip.c_str(), appIcon, kCallback));
        EXPECT_TRUE(NotifyShell(NIM_MODIFY, window.m_hWnd));
        EXPECT_FALSE(IsMenu(firstMenu)) << "the menu of the refused attempt was left behind";
        ASSERT_NE(GetPropA(window.m_hWnd, "HookWnd_P"), nullptr);
        EXPECT_EQ(static_cast<CHookWnd*>(GetPropA(window.m_hWnd, "HookWnd_P"))->NextHook(), nullptr);

        // The menu is the icon id's, its first item the default. A double click runs that item, sent, not posted
        // (it has been handled by the time the call returns); a right click shows the menu, closed by Escape, then
        // by Enter on its first item. Other clicks and other icons' messages do nothing. From the keyboard the shell
        // sends a right click with the pointer anywhere: the menu then opens above the icon. Closed by Escape, the
        // menu gives the keyboard back to the notification area; not after a choice.
        EXPECT_EQ(GetMenuDefaultItem(icon.TrayMenu().GetSubMenu(0), FALSE, 0), static_cast<UINT>(ID_APP_ABOUT));
        const RECT underPointer{0, 0, 16, 16}, away{600, 700, 616, 716};
        const std::vector<UINT> focusBack{NIM_SETFOCUS}, none;
        struct Click {
            UINT id, mouse;
            int menuAnswer;
            const RECT* iconAt;  // where the shell says the icon is; null: it does not say
            LRESULT result;
            Seen seen;
            POINT menuAt;  // the menu's top left corner, or for a menu above the icon its bottom left
            std::vector<UINT> asked;  // of the shell afterwards
        };
        const Seen escaped{WM_ENTERMENULOOP, WM_EXITMENULOOP, WM_NULL},
            chosen{WM_ENTERMENULOOP, WM_EXITMENULOOP, ID_APP_ABOUT, WM_NULL};
        const Click clicks[] = {
            {.id = IDR_TRAY_MENU + 1, .mouse = WM_RBUTTONUP, .menuAnswer = 1, .iconAt = nullptr, .result = 0,
             .seen = {}, .menuAt = {}, .asked = none},
            {.id = IDR_TRAY_MENU, .mouse = WM_LBUTTONUP, .menuAnswer = 1, .iconAt = nullptr, .result = 1, .seen = {},
             .menuAt = {}, .asked = none},
            {.id = IDR_TRAY_MENU, .mouse = WM_LBUTTONDBLCLK, .menuAnswer = 1, .iconAt = nullptr, .result = 1,
             .seen = {ID_APP_ABOUT}, .menuAt = {}, .asked = none},
            {.id = IDR_TRAY_MENU, .mouse = WM_RBUTTONUP, .menuAnswer = 1, .iconAt = nullptr, .result = 1,
             .seen = escaped, .menuAt = {5, 5}, .asked = focusBack},
            {.id = IDR_TRAY_MENU, .mouse = WM_RBUTTONUP, .menuAnswer = 1, .iconAt = &underPointer, .result = 1,
             .seen = escaped, .menuAt = {5, 5}, .asked = focusBack},
            {.id = IDR_TRAY_MENU, .mouse = WM_RBUTTONUP, .menuAnswer = 1, .iconAt = &away, .result = 1,
             .seen = escaped, .menuAt = {600, 700}, .asked = focusBack},
            {.id = IDR_TRAY_MENU, .mouse = WM_RBUTTONUP, .menuAnswer = 2, .iconAt = &away, .result = 1,
             .seen = chosen, .menuAt = {600, 700}, .asked = none}};
        for (const Click& click : clicks) {
            StandInTaskbar taskbar;
            SetTrayIconRectForTests(click.iconAt);
            g_seen.clear();
            g_menuRect = {};
            g_menuAnswer = click.menuAnswer;
            // Should the menu never wait for input, a timer closes it.
            UINT_PTR watchdog = SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
            EXPECT_EQ(icon.OnCallbackMessage(click.id, click.mouse), click.result);
            KillTimer(nullptr, watchdog);
            PumpFor(click.mouse == WM_RBUTTONUP ? 300 : 50);
            EXPECT_EQ(g_seen, click.seen) << click.mouse;
            const POINT menuAt{g_menuRect.left, click.iconAt == &away ? g_menuRect.bottom : g_menuRect.top};
            EXPECT_TRUE(menuAt.x == click.menuAt.x && menuAt.y == click.menuAt.y) << menuAt.x << "," << menuAt.y;
            std::vector<UINT> asked;
            for (const TrayRequest& request : taskbar.Requests()) asked.push_back(request.action);
            EXPECT_EQ(asked, click.asked) << click.mouse;
        }
        SetTrayIconRectForTests(nullptr);
    }
    // Destroyed, the icon leaves the shell and a window that lives on.
    EXPECT_FALSE(NotifyShell(NIM_MODIFY, window.m_hWnd));
    EXPECT_EQ(GetWindowLongPtrA(window.m_hWnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&NotifyWindowProc));
    DestroyWindow(window.m_hWnd);
}

// A balloon goes out from the icon when the shell holds it, else waits, in order with any other, for the icon to be
// added: by a retried add, or at "TaskbarCreated". None once the icon is hidden for good.
TEST(TrayNotifyIconTest, ABalloonWaitsForTheIconAndGoesOutOnceTheShellHoldsIt) {
    StandInTaskbar taskbar;
    taskbar.RefuseAdds(true);
    CWnd window;
    window.m_hWnd = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const HICON appIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    // The shell's balloon holds 255 characters of text.
    const std::wstring longText = L"Long " + std::wstring(300, L'\u00e9');
    std::vector<std::wstring> shown;
    auto balloonsShown = [&] {
        shown.clear();
        for (const TrayRequest& balloon : taskbar.Balloons())
            shown.push_back(balloon.title + L"|" + balloon.text + L"|" + std::to_wstring(balloon.infoFlags));
        return shown;
    };
    {
        CTrayNotifyIcon icon;
        ASSERT_FALSE(icon.Create(&window, IDR_TRAY_MENU, "Tip", appIcon, kCallback));
        icon.ShowBalloon(L"Title", L"First", BalloonKind::Info);
        icon.ShowBalloon(L"Title", longText, BalloonKind::Warning);
        EXPECT_TRUE(balloonsShown().empty());
        taskbar.RefuseAdds(false);
        ASSERT_TRUE(icon.AddAgain());
        EXPECT_EQ(balloonsShown(),
                  (std::vector<std::wstring>{L"Title|First|1", L"Title|" + longText.substr(0, 255) + L"|2"}));
        icon.ShowBalloon(L"Title", L"At once", BalloonKind::Info);
        EXPECT_EQ(balloonsShown().size(), 3u);

        // The taskbar restarts: the icon is gone until "TaskbarCreated".
        ASSERT_TRUE(NotifyShell(NIM_DELETE, window.m_hWnd));
        icon.ShowBalloon(L"Title", L"After the restart", BalloonKind::Info);
        EXPECT_EQ(balloonsShown().size(), 3u);
        SendMessageA(window.m_hWnd, TaskbarCreatedMessage(), 0, 0);
        EXPECT_EQ(balloonsShown().back(), L"Title|After the restart|1");

        ASSERT_TRUE(icon.HideFromTray());
        icon.ShowBalloon(L"Title", L"Hidden", BalloonKind::Info);
        SendMessageA(window.m_hWnd, TaskbarCreatedMessage(), 0, 0);
        EXPECT_EQ(balloonsShown().size(), 4u);
    }
    DestroyWindow(window.m_hWnd);
}
