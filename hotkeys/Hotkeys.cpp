#include "Hotkeys.h"

#include <algorithm>
#include <bitset>
#include <string>

#include "base/Log.h"

namespace {

std::optional<bool> g_repeatsDroppedForTests;

// The groups registered at a start, in their order; the project group's keys come with the projects.
constexpr HotkeyGroup kFixedGroups[] = {HotkeyGroup::FavoriteStore, HotkeyGroup::FavoritePaste,
                                        HotkeyGroup::RecentPaste, HotkeyGroup::AppendFile};
// Tries a combination before the program lets go of what it holds.
constexpr int kTrialId = 0xBFFF;

// A combination that a window of the program holds.
struct Taken {
    HWND window;
    UINT id;
    KeySet set;
    UINT key;
};
std::vector<Taken> g_taken;
std::bitset<kHotkeyGroupCount> g_held;  // fixed groups whose every combination is taken or served with their set
std::vector<HookedHotkey> g_served;     // their combinations that the hook serves instead

// RegisterHotKey's no-repeat flag keeps a held hotkey from firing again on Windows; Wine ignores it.
bool SystemDropsHotkeyRepeats() {
    if (g_repeatsDroppedForTests) return *g_repeatsDroppedForTests;
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr;
}

// The key of slot 1 to 9 is its digit; slot 10 is the key 0.
UINT DigitKey(UINT slot) { return slot == kHotkeySlots ? '0' : '0' + slot; }

// Registers the combination on the window and keeps account of it (windows gone take theirs with them).
bool Take(HWND window, UINT id, KeySet set, UINT key, UINT flags) {
    g_taken.erase(
        std::remove_if(g_taken.begin(), g_taken.end(), [](const Taken& taken) { return !IsWindow(taken.window); }),
        g_taken.end());
    if (!RegisterHotKey(window, static_cast<int>(id), set | flags, key)) return false;
    g_taken.push_back({window, id, set, key});
    return true;
}

bool Release(HWND window, UINT id) {
    g_taken.erase(std::remove_if(g_taken.begin(), g_taken.end(),
                                 [&](const Taken& taken) { return taken.window == window && taken.id == id; }),
                  g_taken.end());
    return UnregisterHotKey(window, static_cast<int>(id)) != FALSE;
}

UINT ProjectHotkeyId(char letter) { return HOTKEY_PROJECT + static_cast<unsigned char>(letter); }

struct GroupKey {
    UINT id;
    UINT key;
};

// A group's keys: its digits, the projects' letters, or Insert and Delete.
std::vector<GroupKey> KeysOf(HotkeyGroup group, const std::string& projectLetters) {
    std::vector<GroupKey> keys;
    if (RowOf(group).digits) {
        for (UINT slot = 1; slot <= kHotkeySlots; ++slot) keys.push_back({RowOf(group).idBase + slot, DigitKey(slot)});
    } else if (group == HotkeyGroup::Project) {
        for (char letter : projectLetters) keys.push_back({ProjectHotkeyId(letter), UINT(letter)});
    } else {
        keys = {{HOTKEY_WIN_INS, VK_INSERT}, {HOTKEY_WIN_DEL, VK_DELETE}};
    }
    return keys;
}

// The keyboard hook serves a digit combination with Win that another program holds; any other such combination
// keeps its group from the set.
bool HookServes(HotkeyGroup group, KeySet set) { return RowOf(group).digits && (set & MOD_WIN); }

// The log names a refused combination as it always has, whatever the set.
void LogRefused(HotkeyGroup group, const GroupKey& key) {
    const int slot = static_cast<int>(key.id - RowOf(group).idBase);
    switch (group) {
    case HotkeyGroup::RecentPaste:
        WriteLogFormat(0, "Can't register Ctl-%d !", slot);
        break;
    case HotkeyGroup::FavoriteStore:
    case HotkeyGroup::FavoritePaste:
        WriteLogFormat(0, "Can't register Win-%d !", slot);
        break;
    case HotkeyGroup::Project:
        WriteLogFormat(0, "Can't register Ctl-Win-%c !", static_cast<char>(key.key));
        break;
    case HotkeyGroup::AppendFile:
        WriteLog(key.key == VK_INSERT ? "Can't register Win-Ins!" : "Can't register Win-Del!", 0);
        break;
    }
}

// Registers a fixed group's keys with its set in force; a combination another program holds goes to the
// hook where it may, else it stops the group.
std::optional<HeldElsewhere> TakeGroup(HWND window, HotkeyGroup group) {
    const KeySet set = KeysInForce(group);
    if (set != kKeysOff) {
        for (const GroupKey& key : KeysOf(group, "")) {
            // A held key fires its hotkey once, not again with every auto-repeat.
            if (Take(window, key.id, set, key.key, MOD_NOREPEAT)) continue;
            LogRefused(group, key);
            if (!HookServes(group, set)) return HeldElsewhere{group, PressedKeys(set, key.key)};
            g_served.push_back({key.id, set, key.key});
        }
    }
    g_held[Index(group)] = true;
    return std::nullopt;
}

void ReleaseGroup(HWND window, HotkeyGroup group, const std::string& projectLetters) {
    for (const GroupKey& key : KeysOf(group, projectLetters)) {
        if (group == HotkeyGroup::Project)
            ReleaseProjectHotKey(window, static_cast<char>(key.key));
        else
            Release(window, key.id);
    }
    g_served.erase(std::remove_if(g_served.begin(), g_served.end(),
                                  [group](const HookedHotkey& hotkey) { return GroupOfId(hotkey.id) == group; }),
                   g_served.end());
    g_held[Index(group)] = false;
}

// Starts the hook for the combinations it serves; a hook that cannot start stops the groups it was to serve.
std::optional<HeldElsewhere> StartHook(HWND window, HotkeyKeyboardHook& hook) {
    const bool serves = !g_served.empty();
    if (serves) {
        std::string names;
        for (const HookedHotkey& hotkey : g_served)
            names += (names.empty() ? "" : " ") + KeyCaption(*GroupOfId(hotkey.id), std::string(1, char(hotkey.key)));
        WriteLog(("Hotkeys served by the keyboard hook: " + names).c_str(), 0);
    }
    // Without refused combinations the hook would only keep held hotkeys from repeating, which the
    // system does itself where it honours MOD_NOREPEAT; a hook that cannot start with nothing to serve
    // does not stop the program.
    if (!serves && SystemDropsHotkeyRepeats()) {
        hook.Stop();
        return std::nullopt;
    }
    if (hook.Start(window, g_served)) return std::nullopt;
    WriteLog("Can't install the keyboard hook!", 0);
    if (!serves) return std::nullopt;
    HeldElsewhere held{*GroupOfId(g_served.front().id), ""};
    for (const HookedHotkey& hotkey : g_served) {
        held.keys += (held.keys.empty() ? "" : ", ") + PressedKeys(hotkey.modifiers, hotkey.key);
        g_held[Index(*GroupOfId(hotkey.id))] = false;
    }
    return held;
}

// Takes every project's combination; the first that another program holds, if any.
std::optional<HeldElsewhere> TakeProjects(HWND window, const std::string& letters) {
    std::optional<HeldElsewhere> held;
    for (char letter : letters)
        if (!TakeProjectHotKey(window, letter) && !held)
            held = HeldElsewhere{HotkeyGroup::Project, PressedKeys(KeysInForce(HotkeyGroup::Project), UINT(letter))};
    return held;
}

// Lets the groups' combinations go and takes them anew with the sets; what kept one from its set, if anything.
std::optional<HeldElsewhere> MoveGroups(HWND window, HotkeyKeyboardHook& hook, const std::vector<HotkeyGroup>& groups,
                                        const KeySets& sets, const std::string& projectLetters) {
    for (HotkeyGroup group : groups) ReleaseGroup(window, group, projectLetters);
    SetKeySetsInForce(sets);
    std::optional<HeldElsewhere> held;
    for (HotkeyGroup group : groups) {
        std::optional<HeldElsewhere> refused =
            group == HotkeyGroup::Project ? TakeProjects(window, projectLetters) : TakeGroup(window, group);
        if (!held) held = refused;
    }
    std::optional<HeldElsewhere> hookHeld = StartHook(window, hook);
    return held ? held : hookHeld;
}

}  // namespace

bool TakeProjectHotKey(HWND window, char letter) {
    // A reload of the projects finds the window holding the combination since the last load.
    Release(window, ProjectHotkeyId(letter));
    const KeySet set = KeysInForce(HotkeyGroup::Project);
    const bool taken = set == kKeysOff || Take(window, ProjectHotkeyId(letter), set, UINT(letter), 0);
    ServeProjectLetter(letter, taken && set != kKeysOff);
    if (!taken) LogRefused(HotkeyGroup::Project, {ProjectHotkeyId(letter), UINT(letter)});
    return taken;
}

bool ReleaseProjectHotKey(HWND window, char letter) {
    ServeProjectLetter(letter, false);
    return Release(window, ProjectHotkeyId(letter));
}

std::optional<HeldElsewhere> RegisterFixedHotKeys(HWND window, HotkeyKeyboardHook& hook) {
    g_held.reset();
    g_served.clear();
    std::optional<HeldElsewhere> held;
    for (HotkeyGroup group : kFixedGroups)
        if ((held = TakeGroup(window, group))) break;
    // While the person chooses other keys after a stop, the hook serves what it may as after any start.
    std::optional<HeldElsewhere> hookHeld = StartHook(window, hook);
    return held ? held : hookHeld;
}

std::optional<HeldElsewhere> ChangeHotKeys(HWND window, HotkeyKeyboardHook& hook, const KeySets& chosen,
                                           const std::string& projectLetters) {
    const KeySets before = KeySetsInForce();
    auto changes = [&](HotkeyGroup group) {
        return chosen[Index(group)] != before[Index(group)] || (group != HotkeyGroup::Project && !g_held[Index(group)]);
    };
    // What the window holds for a group that changes is let go before the new combinations are taken.
    auto freedByTheChange = [&](KeySet set, UINT key) {
        return std::any_of(g_taken.begin(), g_taken.end(), [&](const Taken& taken) {
            const std::optional<HotkeyGroup> group = GroupOfId(taken.id);
            return taken.window == window && taken.set == set && taken.key == key && group && changes(*group);
        });
    };
    for (HotkeyGroup group : AllHotkeyGroups()) {
        const KeySet set = chosen[Index(group)];
        if (!changes(group) || set == kKeysOff) continue;
        for (const GroupKey& key : KeysOf(group, projectLetters)) {
            if (freedByTheChange(set, key.key)) continue;
            if (RegisterHotKey(window, kTrialId, set | MOD_NOREPEAT, key.key)) {
                UnregisterHotKey(window, kTrialId);
                continue;
            }
            if (!HookServes(group, set)) return HeldElsewhere{group, PressedKeys(set, key.key)};
        }
    }

    std::vector<HotkeyGroup> changing;
    for (HotkeyGroup group : kFixedGroups)
        if (changes(group)) changing.push_back(group);
    if (changes(HotkeyGroup::Project)) changing.push_back(HotkeyGroup::Project);
    // Another program may take a combination in the moment since its trial, or the hook may not start: then the
    // old keys come back, and what the dialog says stays true.
    std::optional<HeldElsewhere> held = MoveGroups(window, hook, changing, chosen, projectLetters);
    if (held) MoveGroups(window, hook, changing, before, projectLetters);
    return held;
}

std::vector<HookedHotkey> HotkeysServedByTheHook() { return g_served; }

void SetHotkeyRepeatsDroppedForTests(std::optional<bool> dropped) { g_repeatsDroppedForTests = dropped; }
