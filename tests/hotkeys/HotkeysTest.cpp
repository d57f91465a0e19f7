#include "hotkeys/Hotkeys.h"

#include <tuple>

#include "support/ClipStoreFixture.h"
#include "support/KeyboardRecorder.h"

using HotkeysTest = ClipStoreTest;  // the program's log goes to a folder of the test's own

// In their fixed order (the favourite groups, Ctrl+digit, Win+Ins, Win+Del) the combinations are taken on the
// program's window, up to the first that another program holds and no favourite is: that one is named in the log.
TEST_F(HotkeysTest, TheFixedCombinationsAreTakenInOrderUpToOneHeldElsewhere) {
    HotkeyKeyboardHook hook;
    std::vector<std::pair<UINT, UINT>> order;
    for (UINT modifiers : {MOD_CONTROL | MOD_WIN, MOD_WIN, MOD_CONTROL})
        for (char digit : std::string("1234567890")) order.push_back({modifiers, digit});
    order.insert(order.end(), {{MOD_WIN, VK_INSERT}, {MOD_WIN, VK_DELETE}});
    // Key 0 is slot 10 of its group; the combination is named as the user presses it. Last, nothing held elsewhere:
    // the hook starts, with nothing to serve, to keep held hotkeys from repeating.
    struct Held {
        UINT modifiers, key;
        const char* line;   // in the log
        std::string taken;  // as the program names it to the user
    };
    const Held cases[] = {
        {.modifiers = MOD_CONTROL, .key = '5', .line = "Can't register Ctl-5 !", .taken = "Ctrl+5"},
        {.modifiers = MOD_CONTROL, .key = '0', .line = "Can't register Ctl-10 !", .taken = "Ctrl+0"},
        {.modifiers = MOD_WIN, .key = VK_INSERT, .line = "Can't register Win-Ins!", .taken = "Win+Insert"},
        {.modifiers = MOD_WIN, .key = VK_DELETE, .line = "Can't register Win-Del!", .taken = "Win+Delete"},
        {.modifiers = 0, .key = 0, .line = nullptr, .taken = ""}};
    for (const auto& [heldModifiers, heldKey, line, named] : cases) {
        DeleteLog();  // a new log, as a start begins one
        HWND window = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_TRUE(!line || RegisterHotKey(nullptr, 1, heldModifiers, heldKey));
        std::vector<std::string> taken;
        EXPECT_EQ(RegisterFixedHotKeys(window, hook, taken), line ? 1 : 0) << heldKey;
        EXPECT_EQ(folder.LogLines(), line ? std::vector<std::string>{line} : std::vector<std::string>{});
        EXPECT_EQ(taken, line ? std::vector<std::string>{named} : std::vector<std::string>{});
        bool past = false;
        for (const auto& [modifiers, key] : order) {
            EXPECT_EQ(HotkeyTaken(modifiers, key), !past) << modifiers << " " << key;
            past = past || (modifiers == heldModifiers && key == heldKey);
        }
        EXPECT_EQ(hook.Running(), !line);
        UnregisterHotKey(nullptr, 1);
        DestroyWindow(window);  // releases every hotkey registered on it
    }
}

TEST_F(HotkeysTest, TheHookSwallowsServedFavouritesAndRepeatsOfTheProgramsCombinationsAndPassesTheRest) {
    HotkeyKeyMatcher matcher({{0x102, MOD_CONTROL | MOD_WIN, '2'}, {0x202, MOD_WIN, '2'}, {0x20A, MOD_WIN, '0'}});
    const KeyVerdict pass = KeyVerdict::PassOn, swallow = KeyVerdict::Swallow, post = KeyVerdict::SwallowAndPost;
    const KeyStroke down = KeyStroke::Down, repeat = KeyStroke::Repeat, up = KeyStroke::Up;
    // The modifiers held (W Win, C Ctrl, A Alt, S Shift), the key, what it does and what the matcher makes of it.
    const std::tuple<std::string, DWORD, KeyStroke, KeyVerdict> steps[] = {
        // The system never saw the served key go down, so its auto-repeat comes as a press: it posts nothing more.
        // Its key-up is swallowed, Win up or not.
        {"W", '2', down, post}, {"W", '2', down, swallow}, {"", '2', up, swallow}, {"WC", '2', down, post},
        {"WC", '2', up, swallow}, {"W", '0', down, post}, {"W", '0', up, swallow},
        // Not hooked: another digit, Ctrl+Win+0, Shift or Alt held, no Win.
        {"W", '3', down, pass}, {"WC", '0', down, pass}, {"WS", '2', down, pass}, {"WA", '2', down, pass},
        {"C", '2', down, pass},
        // A held hotkey that the system serves acts once: its repeats go, its key-up passes, its next press counts.
        {"C", '9', down, pass}, {"C", '9', repeat, swallow}, {"C", '9', up, pass}, {"C", '9', down, pass},
        {"WC", '0', repeat, swallow}, {"W", VK_INSERT, repeat, swallow}, {"WC", 'A', repeat, swallow},
        {"WC", 'Z', repeat, swallow},
        // Repeats of anything else reach the program that has the focus.
        {"", 'K', repeat, pass}, {"C", 'K', repeat, pass}, {"CS", '5', repeat, pass}, {"WA", '5', repeat, pass},
        // A key-up the hook never saw (Win+L locking the session): the next press is no repeat.
        {"W", '2', down, post}, {"", '2', down, pass}, {"", '2', up, pass}, {"W", '2', down, post},
        {"", VK_LWIN, down, pass}, {"W", '2', down, post},
    };
    int n = 0;
    for (const auto& [held, vk, stroke, verdict] : steps) {
        auto has = [&held = held](char modifier) { return held.find(modifier) != std::string::npos; };
        HookedHotkey served{};
        EXPECT_EQ(matcher.OnKey(vk, stroke, {has('W'), has('C'), has('A'), has('S')}, served), verdict) << "step " << n;
        // A post names the combination it serves.
        EXPECT_EQ(served.key, verdict == post ? vk : 0u) << "step " << n;
        EXPECT_EQ(served.modifiers, verdict == post ? MOD_WIN | (has('C') ? MOD_CONTROL : 0u) : 0u) << "step " << n++;
    }
}
