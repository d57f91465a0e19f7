#include "shell/HookWnd.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
class RecordingHook : public CHookWnd {
public:
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
    EXPECT_EQ(deliver(WM_USER + 1), (Log{"own 1:2", "=1001"}));

    // Under a later subclass, hooks that go or are destroyed keep it and the window's own procedure.
    for (RecordingHook* hook : {&first, &second}) hook->HookWindow(&window);
    EXPECT_EQ(SetWindowLongPtrA(window.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LaterSubclass)),
              reinterpret_cast<LONG_PTR>(&CHookWnd::HookWindowProc));
    {
        RecordingHook shortLived("short-lived");
        shortLived.HookWindow(&window);
    }  // destroyed while its window lives: it leaves the chain
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
