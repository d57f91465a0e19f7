#include "shell/HookWnd.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
using Log = std::vector<std::string>;
Log g_log;
// What the window's own procedure could see of the hooks when WM_NCDESTROY reached it.
HANDLE g_chainAtNcDestroy;
LONG_PTR g_procedureAtNcDestroy;

LRESULT CALLBACK OwnProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER + 1 || message == WM_USER + 2) {
        g_log.push_back("own " + std::to_string(wParam) + ":" + std::to_string(lParam));
        return 1000 + static_cast<LRESULT>(wParam);
    }
    if (message == WM_NCDESTROY) {
        g_log.push_back("own ncdestroy");
        g_chainAtNcDestroy = GetPropA(hWnd, "HookWnd_P");
        g_procedureAtNcDestroy = GetWindowLongPtrA(hWnd, GWLP_WNDPROC);
    }
    return DefWindowProcA(hWnd, message, wParam, lParam);
}
const LONG_PTR kOwnProc = reinterpret_cast<LONG_PTR>(&OwnProc);

// Another program's subclass, put on the window after the hooks.
WNDPROC g_underLater;
LRESULT CALLBACK LaterSubclass(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER + 1) g_log.push_back("later");
    return CallWindowProcA(g_underLater, hWnd, message, wParam, lParam);
}

// Logs its name for what it sees, keeps one message to itself and can send a second message to
// its window while it handles a first.
class RecordingHook : public CHookWnd {
public:
    explicit RecordingHook(const char* hookName) : name(hookName) {}

    LRESULT HandleMessage(UINT message, WPARAM, LPARAM) override {
        if (message >= WM_USER && message < WM_USER + 100) g_log.push_back(name);
        if (message == WM_DESTROY) g_log.push_back(name + " destroy");
        if (message == WM_NCDESTROY) g_log.push_back(name + " ncdestroy");
        if (message == swallowed) return 55;
        if (message == nestOn) SendMessageA(HookedHandle(), WM_USER + 2, 22, 222);
        return PassOn();
    }
    const std::string name;
    UINT swallowed = 0;
    UINT nestOn = 0;
};

class HookWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.m_hWnd = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        SetWindowLongPtrA(window.m_hWnd, GWLP_WNDPROC, kOwnProc);
        first.HookWindow(&window);
        second.HookWindow(&window);
    }
    // Destroying the window detaches the hooks before they go.
    void TearDown() override { DestroyWindow(window.m_hWnd); }

    // Sends a message and returns who saw it, in order, and the result.
    Log Deliver(UINT message, WPARAM wParam = 1, LPARAM lParam = 2) {
        g_log.clear();
        const LRESULT result = SendMessageA(window.m_hWnd, message, wParam, lParam);
        g_log.push_back("=" + std::to_string(result));
        return g_log;
    }
    HANDLE Head() const { return GetPropA(window.m_hWnd, "HookWnd_P"); }
    LONG_PTR Procedure() const { return GetWindowLongPtrA(window.m_hWnd, GWLP_WNDPROC); }

    CWnd window;
    RecordingHook first{"first"}, second{"second"}, third{"third"};
};

}  // namespace

TEST_F(HookWndTest, TheNewestHookSeesEachMessageFirstAndUnhookingRelinksTheChainAndFinallyRestoresTheWindow) {
    third.HookWindow(&window);
    first.HookWindow(&window);  // hooked again on the same window, a hook stays where it is
    EXPECT_EQ(Procedure(), reinterpret_cast<LONG_PTR>(&CHookWnd::HookWindowProc));
    EXPECT_EQ(Deliver(WM_USER + 1, 7, 8), (Log{"third", "second", "first", "own 7:8", "=1007"}));
    // A hook that does not pass on keeps the message from the rest of the chain.
    second.swallowed = WM_USER + 5;
    first.swallowed = WM_USER + 6;
    EXPECT_EQ(Deliver(WM_USER + 5), (Log{"third", "second", "=55"}));
    EXPECT_EQ(Deliver(WM_USER + 6), (Log{"third", "second", "first", "=55"}));
    // A message sent while a hook handles another leaves the outer one for that hook's PassOn.
    third.nestOn = WM_USER + 1;
    EXPECT_EQ(Deliver(WM_USER + 1, 11, 111),
              (Log{"third", "third", "second", "first", "own 22:222", "second", "first", "own 11:111", "=1011"}));

    second.UnhookWindow();  // the middle
    EXPECT_EQ(Deliver(WM_USER + 6), (Log{"third", "first", "=55"}));
    third.UnhookWindow();  // the head
    EXPECT_EQ(Head(), &first);
    EXPECT_EQ(Deliver(WM_USER + 1), (Log{"first", "own 1:2", "=1001"}));
    first.UnhookWindow();  // the last
    EXPECT_EQ(Head(), nullptr);
    EXPECT_EQ(Procedure(), kOwnProc);
    EXPECT_EQ(Deliver(WM_USER + 1), (Log{"own 1:2", "=1001"}));
}

TEST_F(HookWndTest, DestroyingTheWindowDetachesEveryHookBeforeItsOwnProcedureSeesNcDestroy) {
    g_log.clear();
    ASSERT_TRUE(DestroyWindow(window.m_hWnd));
    EXPECT_EQ(g_log, (Log{"second destroy", "first destroy", "own ncdestroy"}));
    EXPECT_EQ(g_chainAtNcDestroy, nullptr);
    EXPECT_EQ(g_procedureAtNcDestroy, kOwnProc);
    EXPECT_TRUE(first.HookedHandle() == nullptr && second.HookedHandle() == nullptr);
}

TEST_F(HookWndTest, HooksThatGoOrAreDestroyedUnderALaterSubclassKeepItAndTheWindowsOwnProcedure) {
    g_underLater = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LaterSubclass)));
    {
        RecordingHook shortLived("short-lived");
        shortLived.HookWindow(&window);
    }  // destroyed while its window lives: it leaves the chain
    EXPECT_EQ(Head(), &second);
    EXPECT_EQ(Deliver(WM_USER + 1), (Log{"later", "second", "first", "own 1:2", "=1001"}));

    second.UnhookWindow();
    first.UnhookWindow();
    EXPECT_EQ(Procedure(), reinterpret_cast<LONG_PTR>(&LaterSubclass));
    EXPECT_EQ(Deliver(WM_USER + 1), (Log{"later", "own 1:2", "=1001"}));
    third.HookWindow(&window);  // a new chain under the later subclass
    EXPECT_EQ(Deliver(WM_USER + 1), (Log{"later", "third", "own 1:2", "=1001"}));
    g_log.clear();
    ASSERT_TRUE(DestroyWindow(window.m_hWnd));
    EXPECT_EQ(g_log, (Log{"third destroy", "own ncdestroy"}));
    EXPECT_EQ(third.HookedHandle(), nullptr);
}
