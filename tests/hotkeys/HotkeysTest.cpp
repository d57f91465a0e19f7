#include "hotkeys/Hotkeys.h"

#include <map>

#include "base/Log.h"
#include "support/ClipStoreFixture.h"
#include "support/KeyboardRecorder.h"
#include "support/Pump.h"

namespace {

// WM_HOTKEY ids received, per window; the windows live on the test's thread.
std::map<HWND, std::vector<UINT>> g_hotkeysReceived;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HOTKEY) g_hotkeysReceived[window].push_back(static_cast<UINT>(wParam));
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateRecordingWindow(const char* title) {
    HWND window = CreateWindowA("STATIC", title, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProc));
    return window;
}

class HotkeysTest : public ClipStoreTest {
protected:
    void SetUp() override {
        ClipStoreTest::SetUp();
        program = CreateRecordingWindow("program");
        other = CreateRecordingWindow("other program");
        g_hotkeysReceived.clear();
    }
    void TearDown() override {
        hook.Stop();
        DestroyWindow(program);  // releases every hotkey registered on it
        DestroyWindow(other);
        ClipStoreTest::TearDown();
    }
    // The favourite combinations, taken by the other window as the Windows shell takes them.
    void HoldFavoriteCombinations() {
        for (char digit = '0'; digit <= '9'; ++digit) {
            ASSERT_TRUE(RegisterHotKey(other, digit, MOD_WIN, digit));
            ASSERT_TRUE(RegisterHotKey(other, 0x100 + digit, MOD_CONTROL | MOD_WIN, digit));
        }
    }

    HWND program = nullptr;
    HWND other = nullptr;
    HotkeyKeyboardHook hook;
};

}  // namespace

TEST_F(HotkeysTest, AllFixedCombinationsAreTakenOnTheProgramWindow) {
    ASSERT_EQ(RegisterFixedHotKeys(program, hook), 0);
    for (char digit = '0'; digit <= '9'; ++digit) {
        EXPECT_TRUE(HotkeyTaken(MOD_CONTROL | MOD_WIN, digit)) << digit;
        EXPECT_TRUE(HotkeyTaken(MOD_WIN, digit)) << digit;
        EXPECT_TRUE(HotkeyTaken(MOD_CONTROL, digit)) << digit;
    }
    EXPECT_TRUE(HotkeyTaken(MOD_WIN, VK_INSERT));
    EXPECT_TRUE(HotkeyTaken(MOD_WIN, VK_DELETE));
    EXPECT_FALSE(HotkeyTaken(MOD_ALT, '1'));  // no hotkey uses Alt
    // Key 0 is slot 10 of its group.
    ASSERT_TRUE(UnregisterHotKey(program, HOTKEY_PASTE_RECENT + 10));
    EXPECT_FALSE(HotkeyTaken(MOD_CONTROL, '0'));
    EXPECT_TRUE(hook.Running());  // nothing to serve: it only keeps held hotkeys from repeating
    EXPECT_FALSE(folder.Exists("Clip.log"));
}

TEST_F(HotkeysTest, AnyOtherTakenCombinationEndsRegistrationAndIsNamed) {
    const struct {
        UINT modifiers;
        UINT key;
        const char* line;
    } cases[] = {{MOD_CONTROL, '5', "Can't register Ctl-5 !"},
                 {MOD_CONTROL, '0', "Can't register Ctl-10 !"},
                 {MOD_WIN, VK_INSERT, "Can't register Win-Ins!"},
                 {MOD_WIN, VK_DELETE, "Can't register Win-Del!"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        DeleteLog();  // a new log, as a start begins one
        HWND window = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_TRUE(RegisterHotKey(other, 1, c.modifiers, c.key));
        EXPECT_EQ(RegisterFixedHotKeys(window, hook), 1);
        EXPECT_EQ(folder.LogLines(), std::vector<std::string>{c.line});
        if (c.key == '5') {
            // The favourites come first and stay registered; nothing after the failure is.
            EXPECT_TRUE(HotkeyTaken(MOD_CONTROL | MOD_WIN, '9'));
            EXPECT_TRUE(HotkeyTaken(MOD_CONTROL, '4'));
            EXPECT_FALSE(HotkeyTaken(MOD_CONTROL, '6'));
            EXPECT_FALSE(HotkeyTaken(MOD_WIN, VK_INSERT));
        }
        UnregisterHotKey(other, 1);
        DestroyWindow(window);
    }
}

TEST_F(HotkeysTest, MatcherTakesExactlyTheHookedCombinations) {
    HotkeyKeyMatcher matcher({{0x102, MOD_CONTROL | MOD_WIN, '2'}, {0x202, MOD_WIN, '2'}, {0x20A, MOD_WIN, '0'}});
    const KeyVerdict pass = KeyVerdict::PassOn, swallow = KeyVerdict::Swallow, post = KeyVerdict::SwallowAndPost;
    const KeyStroke down = KeyStroke::Down, repeat = KeyStroke::Repeat, up = KeyStroke::Up;
    const struct {
        const char* held;  // W Win, C Ctrl, A Alt, S Shift
        DWORD vk;
        KeyStroke stroke;
        KeyVerdict verdict;
        UINT id;
    } steps[] = {
        {"", '2', down, pass, 0},      {"", '2', up, pass, 0},         // no Win: a plain digit
        // The system never saw the served key go down, so its auto-repeat comes as a press: it posts nothing more.
        {"W", '2', down, post, 0x202}, {"W", '2', down, swallow, 0},
        {"", '2', up, swallow, 0},                                     // its key-up is swallowed, Win up or not
        {"W", '0', down, post, 0x20A}, {"W", '0', up, swallow, 0},
        {"W", '3', down, pass, 0},     {"W", '3', up, pass, 0},        // not hooked
        {"W", 'A', down, pass, 0},     {"W", VK_LWIN, up, pass, 0},
        {"WC", '2', down, post, 0x102}, {"WC", '2', up, swallow, 0},
        {"WC", '0', down, pass, 0},    {"WC", '0', up, pass, 0},       // Ctrl+Win+0 is not hooked
        {"WS", '2', down, pass, 0},    {"WS", '2', up, pass, 0},       // Shift: no favourite
        {"WA", '2', down, pass, 0},    {"WA", '2', up, pass, 0},       // Alt: no favourite
        {"WCS", '2', down, pass, 0},   {"WCS", '2', up, pass, 0},
        {"C", '2', down, pass, 0},     {"C", '2', up, pass, 0},        // Ctrl alone: the system's hotkey
        // A held hotkey that the system serves acts once: its repeats go, its key-up passes.
        {"C", '5', down, pass, 0},     {"C", '5', repeat, swallow, 0}, {"C", '5', repeat, swallow, 0},
        {"C", '5', up, pass, 0},       {"C", '5', down, pass, 0},      {"C", '5', up, pass, 0},
        {"W", VK_INSERT, down, pass, 0}, {"W", VK_INSERT, repeat, swallow, 0}, {"W", VK_INSERT, up, pass, 0},
        {"WC", 'K', down, pass, 0},    {"WC", 'K', repeat, swallow, 0}, {"WC", 'K', up, pass, 0},
        // Repeats of anything else reach the program that has the focus.
        {"", 'K', down, pass, 0},      {"", 'K', repeat, pass, 0},     {"", 'K', up, pass, 0},
        {"CS", '5', down, pass, 0},    {"CS", '5', repeat, pass, 0},   {"CS", '5', up, pass, 0},
        // A key-up the hook never saw (Win+L locking the session): the next press is no repeat.
        {"W", 'L', down, pass, 0},     {"WC", 'L', down, pass, 0},     {"WC", 'L', up, pass, 0},
        {"W", '2', down, post, 0x202}, {"", '2', down, pass, 0},       {"", '2', up, pass, 0},
        {"W", '2', down, post, 0x202}, {"", VK_LWIN, down, pass, 0},   {"W", '2', down, post, 0x202},
    };
    int index = 0;
    for (const auto& step : steps) {
        const std::string held = step.held;
        const HeldModifiers modifiers{held.find('W') != std::string::npos, held.find('C') != std::string::npos,
                                      held.find('A') != std::string::npos, held.find('S') != std::string::npos};
        HookedHotkey served{};
        EXPECT_EQ(matcher.OnKey(step.vk, step.stroke, modifiers, served), step.verdict) << "step " << index;
        if (step.verdict == post) {
            EXPECT_EQ(served.id, step.id) << "step " << index;
        }
        ++index;
    }
}

// As on Windows 10 and 11, where the shell holds Win+digit and Ctrl+Win+digit.
TEST_F(HotkeysTest, FavoriteCombinationsHeldElsewhereAreServedByTheKeyboardHook) {
    HoldFavoriteCombinations();
    ASSERT_EQ(RegisterFixedHotKeys(program, hook), 0);
    EXPECT_TRUE(hook.Running());
    ASSERT_EQ(folder.LogLines().size(), 1u);
    const std::string line = folder.LogLines()[0];
    EXPECT_EQ(line.rfind("Hotkeys served by the keyboard hook: Ctl-Win-1 Ctl-Win-2", 0), 0u) << line;
    EXPECT_NE(line.find("Ctl-Win-0 Win-1"), std::string::npos) << line;
    EXPECT_NE(line.find(" Win-0"), std::string::npos) << line;
    EXPECT_TRUE(HotkeyTaken(MOD_CONTROL, '1'));  // the rest registered as ever

    KeyboardRecorder recorder;
    const struct {
        bool control;
        WORD digit;
        UINT id;
    } presses[] = {{false, '2', HOTKEY_PASTE_FAV + 2}, {true, '0', HOTKEY_SAVE_FAV + 10}};
    for (const auto& press : presses) {
        ASSERT_TRUE(HoldKey(VK_LWIN));
        if (press.control) {
            ASSERT_TRUE(HoldKey(VK_CONTROL));
        }
        SendKey(press.digit, false);
        SendKey(press.digit, false);  // held: an auto-repeat
        SendKey(press.digit, true);
        if (press.control) SendKey(VK_CONTROL, true);
        SendKey(VK_LWIN, true);
        ASSERT_TRUE(PumpUntil([&] { return !g_hotkeysReceived[program].empty(); }, 2000));
        PumpFor(100);
        EXPECT_EQ(g_hotkeysReceived[program], std::vector<UINT>{press.id});
        EXPECT_TRUE(g_hotkeysReceived[other].empty());  // the shell's own hotkey never fires
        g_hotkeysReceived.clear();
    }
    // The program's key never reached the system's hotkeys; the mask key went between Win down and up.
    int masks = 0;
    for (const KeyEvent& event : recorder.Events()) masks += event.vk == 0xE8 && !(event.flags & LLKHF_UP);
    EXPECT_EQ(masks, 2);

    hook.Stop();
    EXPECT_FALSE(hook.Running());
}
