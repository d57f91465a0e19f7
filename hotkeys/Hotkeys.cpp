#include "Hotkeys.h"

#include <string>

#include "base/Log.h"

namespace {

std::optional<bool> g_repeatsDroppedForTests;

// RegisterHotKey's no-repeat flag keeps a held hotkey from firing again on Windows; Wine ignores it.
bool SystemDropsHotkeyRepeats() {
    if (g_repeatsDroppedForTests) return *g_repeatsDroppedForTests;
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr;
}

// The key of slot 1 to 9 is its digit; slot 10 is the key 0.
UINT DigitKey(UINT slot) { return slot == kHotkeySlots ? '0' : '0' + slot; }

// A held key fires its hotkey once, not again with every auto-repeat.
bool Register(HWND window, UINT id, UINT modifiers, UINT key) {
    return RegisterHotKey(window, static_cast<int>(id), modifiers | MOD_NOREPEAT, key) != FALSE;
}

// The favourite groups: a combination that another program (the shell, as a rule) holds is logged
// by its slot, as both groups' are, and left to the keyboard hook instead of ending start-up.
void RegisterFavoriteGroup(HWND window, UINT base, UINT modifiers, std::vector<HookedHotkey>& refused) {
    for (UINT slot = 1; slot <= kHotkeySlots; ++slot) {
        if (Register(window, base + slot, modifiers, DigitKey(slot))) continue;
        WriteLogFormat(0, "Can't register Win-%d !", static_cast<int>(slot));
        refused.push_back({base + slot, modifiers, DigitKey(slot)});
    }
}

// A combination as the user presses it: "Ctrl+5", "Ctrl+Win+1", "Win+Insert".
std::string KeysName(UINT modifiers, UINT key) {
    std::string name = modifiers & MOD_CONTROL ? "Ctrl+" : "";
    if (modifiers & MOD_WIN) name += "Win+";
    if (key == VK_INSERT) return name + "Insert";
    if (key == VK_DELETE) return name + "Delete";
    return name + static_cast<char>(key);
}

std::string CombinationName(const HookedHotkey& hotkey) {
    std::string name = hotkey.modifiers & MOD_CONTROL ? "Ctl-Win-" : "Win-";
    return name + static_cast<char>(hotkey.key);
}

int ProjectHotkeyId(char letter) { return static_cast<int>(HOTKEY_PROJECT + static_cast<unsigned char>(letter)); }

}  // namespace

bool TakeProjectHotKey(HWND window, char letter) {
    // A reload of the projects finds the window holding the combination since the last load.
    UnregisterHotKey(window, ProjectHotkeyId(letter));
    const bool taken =
        RegisterHotKey(window, ProjectHotkeyId(letter), MOD_CONTROL | MOD_WIN, static_cast<UINT>(letter)) != FALSE;
    ServeProjectLetter(letter, taken);
    return taken;
}

bool ReleaseProjectHotKey(HWND window, char letter) {
    ServeProjectLetter(letter, false);
    return UnregisterHotKey(window, ProjectHotkeyId(letter)) != FALSE;
}

int RegisterFixedHotKeys(HWND window, HotkeyKeyboardHook& hook, std::vector<std::string>& taken) {
    std::vector<HookedHotkey> refused;
    RegisterFavoriteGroup(window, HOTKEY_SAVE_FAV, MOD_CONTROL | MOD_WIN, refused);
    RegisterFavoriteGroup(window, HOTKEY_PASTE_FAV, MOD_WIN, refused);
    for (UINT slot = 1; slot <= kHotkeySlots; ++slot) {
        if (!Register(window, HOTKEY_PASTE_RECENT + slot, MOD_CONTROL, DigitKey(slot))) {
            WriteLogFormat(0, "Can't register Ctl-%d !", static_cast<int>(slot));
            taken.push_back(KeysName(MOD_CONTROL, DigitKey(slot)));
            return 1;
        }
    }
    if (!Register(window, HOTKEY_WIN_INS, MOD_WIN, VK_INSERT)) {
        WriteLog("Can't register Win-Ins!", 0);
        taken.push_back(KeysName(MOD_WIN, VK_INSERT));
        return 1;
    }
    if (!Register(window, HOTKEY_WIN_DEL, MOD_WIN, VK_DELETE)) {
        WriteLog("Can't register Win-Del!", 0);
        taken.push_back(KeysName(MOD_WIN, VK_DELETE));
        return 1;
    }
    const bool served = !refused.empty();
    if (served) {
        std::string names;
        for (const HookedHotkey& hotkey : refused) names += (names.empty() ? "" : " ") + CombinationName(hotkey);
        WriteLog(("Hotkeys served by the keyboard hook: " + names).c_str(), 0);
    }
    // Without refused combinations the hook would only keep held hotkeys from repeating, which the
    // system does itself where it honours MOD_NOREPEAT; a hook that cannot start with nothing to serve
    // does not end start-up.
    if (!served && SystemDropsHotkeyRepeats()) return 0;
    if (!hook.Start(window, refused)) {
        WriteLog("Can't install the keyboard hook!", 0);
        for (const HookedHotkey& hotkey : refused) taken.push_back(KeysName(hotkey.modifiers, hotkey.key));
        if (served) return 1;
    }
    return 0;
}

void SetHotkeyRepeatsDroppedForTests(std::optional<bool> dropped) { g_repeatsDroppedForTests = dropped; }
