#include "hotkeys/Hotkeys.h"

#include "support/ClipStoreFixture.h"
#include "support/KeyboardRecorder.h"

using HotkeysTest = ClipStoreTest;  // the program's log goes to a folder of the test's own

// In their fixed order (store a favourite, paste a favourite, paste a recent clip, Insert, Delete) the combinations of
// the sets in force are taken on the program's window, up to the first that another program holds and the keyboard
// hook may not serve: that one is named in the log and to the user. A digit combination with Win that another
// program holds is named in the log too, and left to the hook.
TEST_F(HotkeysTest, TheFixedCombinationsAreTakenInOrderUpToOneHeldElsewhere) {
    HotkeyKeyboardHook hook;
    // A person's choice: recent clips with Ctrl+Alt, favourites stored with Alt+Win and pasted by no key, the append
    // file with Ctrl+Shift.
    KeySets chosen = DefaultKeySets();
    for (auto [group, set] : {std::pair{HotkeyGroup::RecentPaste, UINT{MOD_CONTROL | MOD_ALT}},
                              {HotkeyGroup::FavoriteStore, UINT{MOD_ALT | MOD_WIN}}, {HotkeyGroup::FavoritePaste, 0u},
                              {HotkeyGroup::AppendFile, UINT{MOD_CONTROL | MOD_SHIFT}}})
        chosen[Index(group)] = set;
    // Key 0 is slot 10 of its group; a combination is named to the user as pressed. With nothing held elsewhere the
    // hook starts, with nothing to serve, only where the system repeats held hotkeys (Wine), to stop that.
    const struct {
        UINT held, key;
        std::optional<HotkeyGroup> stops = std::nullopt;
        std::vector<std::string> logged = {};
        std::string taken = "";  // as the program names them to the user
        bool repeatsDropped = false;
        KeySets sets = DefaultKeySets();
    } cases[] = {
        {.held = MOD_CONTROL, .key = '5', .stops = HotkeyGroup::RecentPaste, .logged = {"Can't register Ctl-5 !"},
         .taken = "Ctrl+5"},
        {.held = MOD_CONTROL, .key = '0', .stops = HotkeyGroup::RecentPaste, .logged = {"Can't register Ctl-10 !"},
         .taken = "Ctrl+0"},
        {.held = MOD_WIN, .key = VK_INSERT, .stops = HotkeyGroup::AppendFile, .logged = {"Can't register Win-Ins!"},
         .taken = "Win+Insert"},
        {.held = MOD_WIN, .key = VK_DELETE, .stops = HotkeyGroup::AppendFile, .logged = {"Can't register Win-Del!"},
         .taken = "Win+Delete"},
        {.held = MOD_CONTROL | MOD_WIN, .key = '5',
         .logged = {"Can't register Win-5 !", "Hotkeys served by the keyboard hook: Ctl-Win-5"}},
        {.held = MOD_WIN, .key = '0',
         .logged = {"Can't register Win-10 !", "Hotkeys served by the keyboard hook: Win-0"}},
        {.held = 0, .key = 0},
        {.held = 0, .key = 0, .repeatsDropped = true},
        {.held = MOD_WIN, .key = '0',
         .logged = {"Can't register Win-10 !", "Hotkeys served by the keyboard hook: Win-0"}, .repeatsDropped = true},
        // The log keeps its texts whatever the keys; a default combination the program no longer takes is no matter.
        {.held = MOD_CONTROL | MOD_ALT, .key = '5', .stops = HotkeyGroup::RecentPaste,
         .logged = {"Can't register Ctl-5 !"}, .taken = "Ctrl+Alt+5", .sets = chosen},
        {.held = MOD_ALT | MOD_WIN, .key = '0',
         .logged = {"Can't register Win-10 !", "Hotkeys served by the keyboard hook: Alt-Win-0"}, .sets = chosen},
        {.held = MOD_CONTROL | MOD_SHIFT, .key = VK_DELETE, .stops = HotkeyGroup::AppendFile,
         .logged = {"Can't register Win-Del!"}, .taken = "Ctrl+Shift+Delete", .sets = chosen},
        {.held = MOD_WIN, .key = '5', .sets = chosen},
    };
    for (const auto& c : cases) {
        DeleteLog();  // a new log, as a start begins one
        SetKeySetsInForce(c.sets);
        std::vector<std::pair<UINT, UINT>> order;
        for (HotkeyGroup group : {HotkeyGroup::FavoriteStore, HotkeyGroup::FavoritePaste, HotkeyGroup::RecentPaste})
            for (char digit : std::string(c.sets[Index(group)] ? "1234567890" : ""))
                order.push_back({c.sets[Index(group)], digit});
        for (UINT key : {VK_INSERT, VK_DELETE}) order.push_back({c.sets[Index(HotkeyGroup::AppendFile)], key});
        HWND window = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_TRUE(c.key == 0 || RegisterHotKey(nullptr, 1, c.held, c.key));
        // Unless the row says otherwise, the system repeats held hotkeys as Wine does.
        SetHotkeyRepeatsDroppedForTests(c.repeatsDropped ? std::optional<bool>(true) : std::nullopt);
        const std::optional<HeldElsewhere> held = RegisterFixedHotKeys(window, hook);
        EXPECT_EQ(held ? std::optional(held->group) : std::nullopt, c.stops) << c.key;
        EXPECT_EQ(held ? held->keys : "", c.taken);
        EXPECT_EQ(folder.LogLines(), c.logged);
        bool past = false;
        for (const auto& [modifiers, key] : order) {
            EXPECT_EQ(HotkeyTaken(modifiers, key), !past) << modifiers << " " << key;
            past = past || (c.stops && modifiers == c.held && key == c.key);
        }
        // A stopped start offers other keys: meanwhile the hook runs as after any start.
        EXPECT_EQ(hook.Running(), c.logged.size() == 2 || !c.repeatsDropped);
        hook.Stop();
        SetHotkeyRepeatsDroppedForTests(std::nullopt);
        UnregisterHotKey(nullptr, 1);
        DestroyWindow(window);  // releases every hotkey registered on it
    }
}

// A person's new keys: each new combination is tried before the old ones go. One that another program holds is named
// and the group keeps its keys; Win with a digit (the hook serves it) counts as free. A group that a stopped start
// left is registered afresh, with what the window holds from that start. Where the hook then cannot start, the old
// keys come back.
TEST_F(HotkeysTest, NewKeysReplaceTheOldUnlessAnotherProgramHoldsOneWhichIsNamedAndTheOldStay) {
    const UINT ctrlAlt = MOD_CONTROL | MOD_ALT, altWin = MOD_ALT | MOD_WIN, ctrlWin = MOD_CONTROL | MOD_WIN;
    using G = HotkeyGroup;
    const struct {
        std::vector<std::pair<HotkeyGroup, KeySet>> chosen;
        UINT held = 0, key = 0;  // what another program holds from before the start
        bool letGo = false, hookRefused = false;  // before the change: that program ends; Windows refuses the hook
        std::optional<HotkeyGroup> refused = std::nullopt;
        std::string named = "";
        std::vector<std::pair<UINT, UINT>> holds = {}, frees = {};  // what the window holds afterwards, and does not
        std::size_t served = 0;                           // combinations the hook serves afterwards
    } cases[] = {
        {.chosen = {{G::RecentPaste, ctrlAlt}}, .held = ctrlAlt, .key = '5', .refused = G::RecentPaste,
         .named = "Ctrl+Alt+5", .holds = {{MOD_CONTROL, '5'}}, .frees = {{ctrlAlt, '1'}}},
        {.chosen = {{G::RecentPaste, MOD_WIN}, {G::FavoritePaste, MOD_CONTROL}},
         .holds = {{MOD_WIN, '1'}, {MOD_CONTROL, '0'}}},
        {.chosen = {{G::Project, ctrlAlt}}, .held = ctrlAlt, .key = 'B', .refused = G::Project, .named = "Ctrl+Alt+B",
         .holds = {{ctrlWin, 'A'}}, .frees = {{ctrlAlt, 'A'}}},
        {.chosen = {{G::Project, altWin}}, .held = altWin, .key = 'B', .refused = G::Project, .named = "Alt+Win+B",
         .holds = {{ctrlWin, 'A'}}, .frees = {{altWin, 'A'}}},
        {.chosen = {{G::FavoritePaste, altWin}}, .held = altWin, .key = '3', .holds = {{altWin, '4'}},
         .frees = {{MOD_WIN, '4'}}, .served = 1},
        {.chosen = {{G::AppendFile, kKeysOff}, {G::Project, kKeysOff}},
         .frees = {{MOD_WIN, VK_INSERT}, {ctrlWin, 'A'}}},
        {.chosen = {{G::AppendFile, MOD_CONTROL | MOD_SHIFT}}, .held = MOD_CONTROL | MOD_SHIFT, .key = VK_DELETE,
         .refused = G::AppendFile, .named = "Ctrl+Shift+Delete", .holds = {{MOD_WIN, VK_INSERT}}},
        // The start stopped at Ctrl+5, before the append keys, or at Win+Delete.
        {.chosen = {{G::RecentPaste, ctrlAlt}}, .held = MOD_CONTROL, .key = '5',
         .holds = {{ctrlAlt, '5'}, {MOD_WIN, VK_DELETE}}},
        {.chosen = {}, .held = MOD_CONTROL, .key = '5', .refused = G::RecentPaste, .named = "Ctrl+5",
         .holds = {{MOD_CONTROL, '1'}}},
        {.chosen = {}, .held = MOD_CONTROL, .key = '5', .letGo = true,
         .holds = {{MOD_CONTROL, '5'}, {MOD_WIN, VK_DELETE}}},
        {.chosen = {}, .held = MOD_WIN, .key = VK_DELETE, .letGo = true, .holds = {{MOD_WIN, VK_DELETE}}},
        {.chosen = {{G::FavoritePaste, altWin}}, .held = altWin, .key = '3', .hookRefused = true,
         .refused = G::FavoritePaste, .named = "Alt+Win+3", .holds = {{MOD_WIN, '4'}}, .frees = {{altWin, '4'}}},
    };
    for (const auto& c : cases) {
        SetKeySetsInForce(DefaultKeySets());
        HWND window = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        HotkeyKeyboardHook hook;
        ASSERT_TRUE(c.key == 0 || RegisterHotKey(nullptr, 1, c.held, c.key));
        RegisterFixedHotKeys(window, hook);
        for (char letter : {'A', 'B'}) TakeProjectHotKey(window, letter);
        if (c.letGo) UnregisterHotKey(nullptr, 1);
        RefuseKeyboardHookForTests(c.hookRefused);
        const KeySets before = KeySetsInForce();
        KeySets chosen = before;
        for (auto [group, set] : c.chosen) chosen[Index(group)] = set;
        const std::optional<HeldElsewhere> held = ChangeHotKeys(window, hook, chosen, "AB");
        RefuseKeyboardHookForTests(false);
        EXPECT_EQ(held ? std::optional(held->group) : std::nullopt, c.refused);
        EXPECT_EQ(held ? held->keys : "", c.named);
        EXPECT_TRUE(KeySetsInForce() == (held ? before : chosen));
        EXPECT_EQ(HotkeysServedByTheHook().size(), c.served);
        UnregisterHotKey(nullptr, 1);
        for (auto [modifiers, key] : c.holds) EXPECT_TRUE(HotkeyTaken(modifiers, key)) << modifiers << " " << key;
        for (auto [modifiers, key] : c.frees) EXPECT_FALSE(HotkeyTaken(modifiers, key)) << modifiers << " " << key;
        hook.Stop();
        for (char letter : {'A', 'B'}) ReleaseProjectHotKey(window, letter);
        DestroyWindow(window);
    }
    SetKeySetsInForce(DefaultKeySets());
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
    // Under other sets in force the hook goes by those: favourites pasted with Alt+Win (Alt+Win+5 served), recent
    // clips with Ctrl+Alt.
    SetKeySetsInForce(
        {MOD_CONTROL | MOD_ALT, MOD_CONTROL | MOD_WIN, MOD_ALT | MOD_WIN, MOD_CONTROL | MOD_WIN, MOD_WIN});
    HotkeyKeyMatcher chosen({{0x205, MOD_ALT | MOD_WIN, '5'}});
    HookedHotkey served{};
    EXPECT_EQ(chosen.OnKey('5', down, {true, false, true, false}, served), post);
    EXPECT_EQ(chosen.OnKey('6', down, {true, false, false, false}, served), pass);
    EXPECT_EQ(chosen.OnKey('9', repeat, {false, true, true, false}, served), swallow);
    EXPECT_EQ(chosen.OnKey('9', repeat, {false, true, false, false}, served), pass);
    SetKeySetsInForce(DefaultKeySets());
    for (char letter : {'A', 'Z'}) ReleaseProjectHotKey(window, letter);
    DestroyWindow(window);
}
