#pragma once
#include <windows.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

// The program's hotkeys come in five groups, each one set of modifiers over its keys. A person may give
// a group another set, or switch it off; the table here holds, for each group, its default set, the set
// in force, the registry value that keeps it and its ids. Whatever shows a key asks it for the key's name.

// Hotkey ids: a group base plus the slot 1 to 10 (slot 10 is the key 0), or plus the project letter.
// An id stays its group's whatever the modifiers.
constexpr UINT HOTKEY_SAVE_FAV = 0x100;      // store the selection as a favourite
constexpr UINT HOTKEY_PASTE_FAV = 0x200;     // paste a favourite
constexpr UINT HOTKEY_PASTE_RECENT = 0x300;  // paste a recent clip
constexpr UINT HOTKEY_PROJECT = 0x500;       // select a project
constexpr UINT HOTKEY_WIN_INS = 0x600;       // paste the append file
constexpr UINT HOTKEY_WIN_DEL = 0x601;       // delete the append file
constexpr UINT kHotkeySlots = 10;

// In the order a person sees them in the Keys dialog; a group's place there is its index in every table of groups.
enum class HotkeyGroup { RecentPaste, FavoriteStore, FavoritePaste, Project, AppendFile };
constexpr std::size_t kHotkeyGroupCount = 5;
constexpr std::size_t Index(HotkeyGroup group) { return static_cast<std::size_t>(group); }
// Every group, in that order.
std::array<HotkeyGroup, kHotkeyGroupCount> AllHotkeyGroups();

// A set of modifiers as RegisterHotKey takes them (MOD_CONTROL, MOD_ALT, MOD_SHIFT, MOD_WIN); kKeysOff:
// the group's hotkeys are not registered.
using KeySet = UINT;
constexpr KeySet kKeysOff = 0;
// One set per group, indexed by HotkeyGroup.
using KeySets = std::array<KeySet, kHotkeyGroupCount>;

struct HotkeyGroupRow {
    const char* registryValue;  // the REG_SZ value beside the other settings that keeps the set
    KeySet defaults;
    UINT idBase;  // the ids are the base plus the slot, the letter, or 0 and 1 for Insert and Delete
    bool digits;  // keys 1 to 9 and 0; the three digit groups must differ from one another
};

const HotkeyGroupRow& RowOf(HotkeyGroup group);

// The group an id belongs to, if any.
std::optional<HotkeyGroup> GroupOfId(UINT id);

KeySets DefaultKeySets();
KeySet KeysInForce(HotkeyGroup group);  // read on the keyboard hook's thread too
KeySets KeySetsInForce();
void SetKeySetsInForce(const KeySets& sets);

// "Ctrl+Alt", "Win", "Off": the names of the modifiers joined by "+" in the order Ctrl, Alt, Shift, Win,
// as the registry keeps a set and the Keys dialog offers it.
std::string KeySetText(KeySet set);
// The set such a text names, read without regard to case or blanks; nothing where the text names no
// set a group may take (Shift alone, an unknown or misplaced name, nothing at all).
std::optional<KeySet> ParseKeySet(const std::string& text);
// Whether the set would give the group Ctrl+C or Ctrl+V, which the program presses itself to copy and paste: the
// project letters with Ctrl alone. No group may take such a set.
bool TakesInjectedKeys(HotkeyGroup group, KeySet set);
// Every set but Shift alone, in the order the Keys dialog lists them: "Ctrl", "Ctrl+Alt", ... "Win", "Off".
std::vector<KeySet> OfferedKeySets();
// The digit groups whose set another digit group has too.
std::vector<HotkeyGroup> ClashingDigitGroups(const KeySets& sets);

// A key as the menus and dialogs name it under its group's set in force: "Ctl-1" and "Ctl-Win-A" with the
// joint "-", "Ctl - Win - A" with " - "; the key alone while the group is off.
std::string KeyCaption(HotkeyGroup group, const std::string& key, const char* joint = "-");
// A combination as the user presses it: "Ctrl+Alt+5", "Win+Insert".
std::string PressedKeys(KeySet set, UINT virtualKey);
