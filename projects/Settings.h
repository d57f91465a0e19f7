#pragma once
#include <windows.h>

#include "hotkeys/HotkeyGroups.h"

// The two user settings kept in the registry: start with Windows (the value "CORVELLAN" under the
// Run key) and append mode. Both keys are written under HKEY_LOCAL_MACHINE when it can be written
// there, else under HKEY_CURRENT_USER; the choice is made once per run and logged. Each value is
// read from the first root that holds it, this run's root first, so a start that cannot write
// HKEY_LOCAL_MACHINE keeps what an elevated start stored there. Results are registry status codes,
// 0 on success.

// The root this run writes both keys under.
HKEY SettingsRoot();

// False before the first run has stored the settings: neither root holds RunAtStartup or AppendMode
// (a key that holds only an administrator's choice of keys is no run's).
bool SettingsStored();

// Reads both settings into the flags; on the first run (see SettingsStored)
// or when enable is non-zero it also stores RunAtStartup = 1 and registers the program to start
// with Windows. *runAtStartup ends as 1 only when that registration held. Returns the status of the
// Run key's creation, or of the append-mode read when only reading.
LONG RegisterAppStartup(int* runAtStartup, int enable, int& appendMode);

// Removes the Run value under both roots where it can be removed and stores RunAtStartup as that
// left it, in the program's key under this run's root where that exists (it is not made here):
// *runAtStartup stays 1 while a Run value is left. Returns the status of that store.
LONG UnregisterAppStartup(int* runAtStartup);

// Reads AppendMode into appendMode (1 when there is none to read).
LONG GetAppendMode(int& appendMode);

// Stores the mode in the registry and in appendMode, which takes it even when the store fails.
LONG SetAppendMode(int& appendMode, int mode);

// The hotkey groups' sets, each kept as a REG_SZ value beside the others (RecentKeys, FavoriteStoreKeys,
// FavoritePasteKeys, ProjectKeys, AppendKeys) and read from the first root that holds it. A missing value
// gives the group's default; so does one that cannot be read or names no set the group may take (Shift alone;
// Ctrl alone for the projects), and one that gives a digit group the set of another: each such value is logged.
KeySets ReadKeySets();

// Stores the sets that differ from `before` under this run's root. The status of a write that failed, or 0.
LONG StoreKeySets(const KeySets& sets, const KeySets& before);

// Tests choose the root this run writes under (HKEY_CURRENT_USER plays a start that cannot write
// HKEY_LOCAL_MACHINE); null lets the program decide again.
void SetSettingsRootForTests(HKEY root);
