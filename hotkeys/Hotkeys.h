#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "hotkeys/KeyboardHook.h"

// Hotkey ids: a group base plus the slot 1 to 10 (slot 10 is the key 0), or plus the project letter.
constexpr UINT HOTKEY_SAVE_FAV = 0x100;      // Ctrl+Win+digit: store the selection as a favourite
constexpr UINT HOTKEY_PASTE_FAV = 0x200;     // Win+digit: paste a favourite
constexpr UINT HOTKEY_PASTE_RECENT = 0x300;  // Ctrl+digit: paste a recent clip
constexpr UINT HOTKEY_PROJECT = 0x500;       // Ctrl+Win+letter: select a project
constexpr UINT HOTKEY_WIN_INS = 0x600;       // Win+Insert: paste the append file
constexpr UINT HOTKEY_WIN_DEL = 0x601;       // Win+Delete: delete the append file
constexpr UINT kHotkeySlots = 10;

// True when the id is one of the ten ids of a digit group.
inline bool InHotkeyGroup(UINT id, UINT base) { return id > base && id <= base + kHotkeySlots; }

// Takes Ctrl+Win+letter on the window for the letter's project, anew where the window holds it already; false when
// another program holds it.
bool TakeProjectHotKey(HWND window, char letter);
// Gives the letter's combination back; false when the window did not hold it.
bool ReleaseProjectHotKey(HWND window, char letter);

// Registers the 32 fixed hotkeys on the window, in their fixed order, none repeating while held,
// and starts `hook` where it serves a combination or the system repeats held hotkeys. A favourite
// combination (Ctrl+Win+digit, Win+digit) that another program holds is logged by its slot and
// served by the hook instead; one line names all such. Returns 0,
// or 1 at the first other combination that another program holds (logged by its name; those
// before it stay registered) or when the hook is needed for a refused combination and cannot start.
// `taken` receives the combinations that another program holds and the program cannot serve, as the
// user presses them ("Ctrl+5", "Win+Insert").
int RegisterFixedHotKeys(HWND window, HotkeyKeyboardHook& hook, std::vector<std::string>& taken);

// Whether the system keeps held hotkeys from repeating, as the tests want it; nullopt: as it does.
void SetHotkeyRepeatsDroppedForTests(std::optional<bool> dropped);
