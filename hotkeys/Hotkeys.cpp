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

std::bitset<kHotkeyGroupCount> g_held;  // fixed groups the window holds with their set in force
std::vector<HookedHotkey> g_served;     // their combinations that the hook serves instead

std::size_t Index(HotkeyGroup group) { return static_cast<std::size_t>(group); }

// RegisterHotKey's no-repeat flag keeps a held hotkey from firing again on Windows; Wine ignores it.
bool SystemDropsHotkeyRepeats() {
    if (g_repeatsDroppedForTests) return *g_repeatsDroppedForTests;
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr;
}

// The key of slot 1 to 9 is its digit; slot 10 is the key 0.
UINT DigitKey(UINT slot) { return slot == kHotkeySlots ? '0' : '0' + slot; }

// A held key fires its hotkey once, not again with every auto-repeat.
bool Register(HWND window, int id, KeySet set, UINT key) {
    return RegisterHotKey(window, id, set | MOD_NOREPEAT, key) != FALSE;
}

int ProjectHotkeyId(char letter) { return static_cast<int>(HOTKEY_PROJECT + static_cast<unsigned char>(letter)); }

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
        for (char letter : projectLetters) keys.push_back({static_cast<UINT>(ProjectHotkeyId(letter)), UINT(letter)});
    } else {
        keys = {{HOTKEY_WIN_INS, VK_INSERT}, {HOTKEY_WIN_DEL, VK_DELETE}};
    }
    return keys;
}

// What a combination that another program holds means for its group: the keyboard hook serves a digit
// combination with Win in its stead; a letter with Win leaves its project without a key, as the shell's
// own Ctrl+Win letters always have; any other keeps the group from its set.
enum class Refusal { Served, Tolerated, Held };
Refusal RefusalOf(HotkeyGroup group, KeySet set) {
    if (!(set & MOD_WIN)) return Refusal::Held;
    if (RowOf(group).digits) return Refusal::Served;
    return group == HotkeyGroup::Project ? Refusal::Tolerated : Refusal::Held;
}

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
            if (Register(window, static_cast<int>(key.id), set, key.key)) continue;
            LogRefused(group, key);
            if (RefusalOf(group, set) != Refusal::Served) return HeldElsewhere{group, PressedKeys(set, key.key)};
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
            UnregisterHotKey(window, static_cast<int>(key.id));
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

}  // namespace

bool TakeProjectHotKey(HWND window, char letter) {
    // A reload of the projects finds the window holding the combination since the last load.
    UnregisterHotKey(window, ProjectHotkeyId(letter));
    const KeySet set = KeysInForce(HotkeyGroup::Project);
    const bool taken = set == kKeysOff || RegisterHotKey(window, ProjectHotkeyId(letter), set, UINT(letter)) != FALSE;
    ServeProjectLetter(letter, taken && set != kKeysOff);
    if (!taken) LogRefused(HotkeyGroup::Project, {static_cast<UINT>(ProjectHotkeyId(letter)), UINT(letter)});
    return taken;
}

bool ReleaseProjectHotKey(HWND window, char letter) {
    ServeProjectLetter(letter, false);
    return UnregisterHotKey(window, ProjectHotkeyId(letter)) != FALSE;
}

std::optional<HeldElsewhere> RegisterFixedHotKeys(HWND window, HotkeyKeyboardHook& hook) {
    g_held.reset();
    g_served.clear();
    for (HotkeyGroup group : kFixedGroups)
        if (std::optional<HeldElsewhere> held = TakeGroup(window, group)) return held;
    return StartHook(window, hook);
}

std::optional<HeldElsewhere> ChangeHotKeys(HWND window, HotkeyKeyboardHook& hook, const KeySets& chosen,
                                           const std::string& projectLetters) {
    const KeySets now = KeySetsInForce();
    auto changes = [&](HotkeyGroup group) {
        return chosen[Index(group)] != now[Index(group)] || (group != HotkeyGroup::Project && !g_held[Index(group)]);
    };
    // The window lets its own combinations go before it takes the new ones.
    auto windowHolds = [&](KeySet set, UINT key) {
        for (const HotkeyGroupRow& row : HotkeyGroups()) {
            if (now[Index(row.group)] != set || (row.group != HotkeyGroup::Project && !g_held[Index(row.group)]))
                continue;
            for (const GroupKey& held : KeysOf(row.group, projectLetters))
                if (held.key == key) return true;
        }
        return false;
    };
    for (const HotkeyGroupRow& row : HotkeyGroups()) {
        const KeySet set = chosen[Index(row.group)];
        if (!changes(row.group) || set == kKeysOff) continue;
        for (const GroupKey& key : KeysOf(row.group, projectLetters)) {
            if (windowHolds(set, key.key)) continue;
            if (Register(window, kTrialId, set, key.key)) {
                UnregisterHotKey(window, kTrialId);
                continue;
            }
            if (RefusalOf(row.group, set) == Refusal::Held) return HeldElsewhere{row.group, PressedKeys(set, key.key)};
        }
    }

    std::vector<HotkeyGroup> changing;
    for (HotkeyGroup group : kFixedGroups)
        if (changes(group)) changing.push_back(group);
    if (changes(HotkeyGroup::Project)) changing.push_back(HotkeyGroup::Project);
    for (HotkeyGroup group : changing) ReleaseGroup(window, group, projectLetters);
    SetKeySetsInForce(chosen);
    // Another program may take a combination in the moment between the trial and now: that group stays
    // unregistered until the next change.
    std::optional<HeldElsewhere> held;
    for (HotkeyGroup group : changing) {
        if (group == HotkeyGroup::Project) {
            for (char letter : projectLetters) TakeProjectHotKey(window, letter);
        } else if (std::optional<HeldElsewhere> refused = TakeGroup(window, group); refused && !held) {
            held = refused;
        }
    }
    // The hook serves the combinations refused now.
    std::optional<HeldElsewhere> hookHeld = StartHook(window, hook);
    return held ? held : hookHeld;
}

std::vector<HookedHotkey> HotkeysServedByTheHook() { return g_served; }

void SetHotkeyRepeatsDroppedForTests(std::optional<bool> dropped) { g_repeatsDroppedForTests = dropped; }
