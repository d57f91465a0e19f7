#include "hotkeys/Hotkeys.h"

#include "support/ClipStoreFixture.h"
#include "support/KeyboardRecorder.h"

using HotkeysTest = ClipStoreTest;  // the program's log goes to a folder of the test's own

// In their fixed order (the favourite groups, Ctrl+digit, Win+Ins, Win+Del) the combinations are taken on the
// program's window, up to the first that another program holds and no favourite is: that one is named in the log.
// A favourite that another program holds is named too, and left to the keyboard hook.
TEST_F(HotkeysTest, TheFixedCombinationsAreTakenInOrderUpToOneHeldElsewhere) {
    HotkeyKeyboardHook hook;
    std::vector<std::pair<UINT, UINT>> order;
    for (UINT modifiers : {MOD_CONTROL | MOD_WIN, MOD_WIN, MOD_CONTROL})
        for (char digit : std::string("1234567890")) order.push_back({modifiers, digit});
    order.insert(order.end(), {{MOD_WIN, VK_INSERT}, {MOD_WIN, VK_DELETE}});
    // Key 0 is slot 10 of its group; a combination is named to the user as pressed. Last, nothing held elsewhere:
    // the hook starts, with nothing to serve, only where the system repeats held hotkeys (Wine), to stop that.
    const struct {
        UINT held, key;
        int result;
        std::vector<std::string> logged;
        std::vector<std::string> taken;  // as the program names them to the user
        bool repeatsDropped = false;
    } cases[] = {
        {.held = MOD_CONTROL, .key = '5', .result = 1, .logged = {"Can't register Ctl-5 !"}, .taken = {"Ctrl+5"}},
        {.held = MOD_CONTROL, .key = '0', .result = 1, .logged = {"Can't register Ctl-10 !"}, .taken = {"Ctrl+0"}},
        {.held = MOD_WIN, .key = VK_INSERT, .result = 1, .logged = {"Can't register Win-Ins!"}, .taken = {"Win+Insert"}},
        {.held = MOD_WIN, .key = VK_DELETE, .result = 1, .logged = {"Can't register Win-Del!"}, .taken = {"Win+Delete"}},
        {.held = MOD_CONTROL | MOD_WIN, .key = '5', .result = 0,
         .logged = {"Can't register Win-5 !", "Hotkeys served by the keyboard hook: Ctl-Win-5"}, .taken = {}},
        {.held = MOD_WIN, .key = '0', .result = 0,
         .logged = {"Can't register Win-10 !", "Hotkeys served by the keyboard hook: Win-0"}, .taken = {}},
        {.held = 0, .key = 0, .result = 0, .logged = {}, .taken = {}},
        {.held = 0, .key = 0, .result = 0, .logged = {}, .taken = {}, .repeatsDropped = true},
        {.held = MOD_WIN, .key = '0', .result = 0,
         .logged = {"Can't register Win-10 !", "Hotkeys served by the keyboard hook: Win-0"}, .taken = {},
         .repeatsDropped = true},
    };
    for (const auto& c : cases) {
        DeleteLog();  // a new log, as a start begins one
        HWND window = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_TRUE(c.key == 0 || RegisterHotKey(nullptr, 1, c.held, c.key));
        // Unless the row says otherwise, the system repeats held hotkeys as Wine does.
        SetHotkeyRepeatsDroppedForTests(c.repeatsDropped ? std::optional<bool>(true) : std::nullopt);
        std::vector<std::string> taken;
        EXPECT_EQ(RegisterFixedHotKeys(window, hook, taken), c.result) << c.key;
        EXPECT_EQ(folder.LogLines(), c.logged);
        EXPECT_EQ(taken, c.taken);
        bool past = false;
        for (const auto& [modifiers, key] : order) {
            EXPECT_EQ(HotkeyTaken(modifiers, key), !past) << modifiers << " " << key;
            past = past || (c.result != 0 && modifiers == c.held && key == c.key);
        }
        EXPECT_EQ(hook.Running(), c.result == 0 && (c.held != 0 || !c.repeatsDropped));
        hook.Stop();
        SetHotkeyRepeatsDroppedForTests(std::nullopt);
        UnregisterHotKey(nullptr, 1);
        DestroyWindow(window);  // releases every hotkey registered on it
    }
}

// What the program serves at the moment: projects A and Z hold Ctrl+Win+A and Ctrl+Win+Z, no project holds Ctrl+Win+M.
TEST_F(HotkeysTest, TheHookSwallowsServedFavouritesAndRepeatsOfTheProgramsCombinationsAndPassesTheRest) {
    HWND window = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    for (char letter : {'A', 'Z'}) ASSERT_TRUE(TakeProjectHotKey(window, letter));
    ReleaseProjectHotKey(window, 'M');
    HotkeyKeyMatcher matcher({{0x102, MOD_CONTROL | MOD_WIN, '2'}, {0x202, MOD_WIN, '2'}, {0x20A, MOD_WIN, '0'}});
    const KeyVerdict pass = KeyVerdict::PassOn, swallow = KeyVerdict::Swallow, post = KeyVerdict::SwallowAndPost;
    const KeyStroke down = KeyStroke::Down, repeat = KeyStroke::Repeat, up = KeyStroke::Up;
    // The modifiers held (W Win, C Ctrl, A Alt, S Shift), the key, what it does and the verdict it gets.
    const struct {
        std::string held;
        DWORD vk;
        KeyStroke does;
        KeyVerdict gets;
    } steps[] = {
        // The system never saw the served key go down, so its auto-repeat comes as a press: it posts nothing more.
        // Its key-up is swallowed, Win up or not.
        {.held = "W", .vk = '2', .does = down, .gets = post}, {.held = "W", .vk = '2', .does = down, .gets = swallow},
        {.held = "", .vk = '2', .does = up, .gets = swallow}, {.held = "WC", .vk = '2', .does = down, .gets = post},
        {.held = "WC", .vk = '2', .does = up, .gets = swallow}, {.held = "W", .vk = '0', .does = down, .gets = post},
        {.held = "W", .vk = '0', .does = up, .gets = swallow},
        // Not hooked: another digit, Ctrl+Win+0, Shift or Alt held, no Win.
        {.held = "W", .vk = '3', .does = down, .gets = pass}, {.held = "WC", .vk = '0', .does = down, .gets = pass},
        {.held = "WS", .vk = '2', .does = down, .gets = pass}, {.held = "WA", .vk = '2', .does = down, .gets = pass},
        {.held = "C", .vk = '2', .does = down, .gets = pass},
        // A held hotkey that the system serves acts once: its repeats go, its key-up passes, its next press counts.
        {.held = "C", .vk = '9', .does = down, .gets = pass}, {.held = "C", .vk = '9', .does = repeat, .gets = swallow},
        {.held = "C", .vk = '9', .does = up, .gets = pass}, {.held = "C", .vk = '9', .does = down, .gets = pass},
        {.held = "WC", .vk = '0', .does = repeat, .gets = swallow},
        {.held = "W", .vk = VK_INSERT, .does = repeat, .gets = swallow},
        {.held = "WC", .vk = 'A', .does = repeat, .gets = swallow},
        {.held = "WC", .vk = 'Z', .does = repeat, .gets = swallow},
        // A letter without a project is no combination of the program's: it passes whole, repeats included.
        {.held = "WC", .vk = 'M', .does = down, .gets = pass}, {.held = "WC", .vk = 'M', .does = up, .gets = pass},
        {.held = "WC", .vk = 'M', .does = repeat, .gets = pass},
        // Repeats of anything else reach the program that has the focus.
        {.held = "", .vk = 'K', .does = repeat, .gets = pass}, {.held = "C", .vk = 'K', .does = repeat, .gets = pass},
        {.held = "CS", .vk = '5', .does = repeat, .gets = pass}, {.held = "WA", .vk = '5', .does = repeat, .gets = pass},
        // A key-up the hook never saw (Win+L locking the session): the next press is no repeat.
        {.held = "W", .vk = '2', .does = down, .gets = post}, {.held = "", .vk = '2', .does = down, .gets = pass},
        {.held = "", .vk = '2', .does = up, .gets = pass}, {.held = "W", .vk = '2', .does = down, .gets = post},
        {.held = "", .vk = VK_LWIN, .does = down, .gets = pass}, {.held = "W", .vk = '2', .does = down, .gets = post},
    };
    int n = 0;
    for (const auto& step : steps) {
        auto has = [&step](char modifier) { return step.held.find(modifier) != std::string::npos; };
        HookedHotkey served{};
        EXPECT_EQ(matcher.OnKey(step.vk, step.does, {has('W'), has('C'), has('A'), has('S')}, served), step.gets)
            << "step " << n;
        // A post names the combination it serves.
        EXPECT_EQ(served.key, step.gets == post ? step.vk : 0u) << "step " << n;
        EXPECT_EQ(served.modifiers, step.gets == post ? MOD_WIN | (has('C') ? MOD_CONTROL : 0u) : 0u) << "step " << n++;
    }
    for (char letter : {'A', 'Z'}) ReleaseProjectHotKey(window, letter);
    DestroyWindow(window);
}
