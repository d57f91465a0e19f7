#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "hotkeys/HotkeyGroups.h"
#include "hotkeys/KeyboardHook.h"

// A group that another program keeps from its set, and the combinations it holds, as the user presses them
// ("Ctrl+5"; several joined by ", ").
struct HeldElsewhere {
    HotkeyGroup group;
    std::string keys;
};

// Takes the letter's project combination (the project group's set in force) on the window, anew where the
// window holds it already. False, and logged, when another program holds it; true while the group is off.
bool TakeProjectHotKey(HWND window, char letter);
// Gives the letter's combination back; false when the window did not hold it.
bool ReleaseProjectHotKey(HWND window, char letter);

// Registers the fixed groups' hotkeys on the window with their sets in force, in their fixed order
// (favourite store, favourite paste, recent paste, Insert and Delete), none repeating while held, and starts
// `hook` where it serves a combination or the system repeats held hotkeys. A digit combination with Win
// that another program (the shell, as a rule) holds is logged by its slot and served by the hook instead;
// one line names all such. Stops at the first other combination another program holds (logged by its
// name; those before it stay registered, and the hook serves what was refused before it), or where the hook
// is needed and cannot start: returns its group.
std::optional<HeldElsewhere> RegisterFixedHotKeys(HWND window, HotkeyKeyboardHook& hook);

// Moves the hotkeys to the chosen sets (the digit groups' differ from one another), the project group's
// for the projects of the letters given. Each new combination is tried before the old ones are let go: where
// another program holds one, nothing changes and it is returned. A digit combination with Win counts as
// free (the hook serves it); what the window itself holds for a group that changes is free too. A group a
// stopped start left unregistered is registered afresh; the hook is started as at a start. All or nothing:
// where a combination is taken elsewhere after its trial, or the hook cannot start, the old keys are taken
// back and that is returned.
std::optional<HeldElsewhere> ChangeHotKeys(HWND window, HotkeyKeyboardHook& hook, const KeySets& chosen,
                                           const std::string& projectLetters);

// The combinations the keyboard hook serves because another program holds them, in registration order.
std::vector<HookedHotkey> HotkeysServedByTheHook();

// Whether the system keeps held hotkeys from repeating, as the tests want it; nullopt: as it does.
void SetHotkeyRepeatsDroppedForTests(std::optional<bool> dropped);
