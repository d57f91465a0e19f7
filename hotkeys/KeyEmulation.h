#pragma once
#include <windows.h>

#include <functional>
#include <optional>

// Both wait (up to a second) for Win, Alt and Shift to be released first, and leave out the Ctrl
// events when the user holds Ctrl already. Both send nothing, and return false, when the window in
// front then would not take the keys (ForegroundTakesKeys).

// Makes the focused program paste: Ctrl+V injected 300 ms after the call, then 150 ms for it to act.
bool EmulCTRL_V1();

// Makes the focused program copy its selection: Ctrl+C after 450 ms, then 200 ms for it to act.
// `keysGo` runs just before the keys are sent.
bool EmulCTRL_C(const std::function<void()>& keysGo);

// Windows drops, without a word, the keys a program sends to a window of a process with a higher
// integrity level than its own (one run as administrator). False, and logged, when the foreground
// window is such a one: a process whose token may not be read counts as higher; one that may not be
// opened at all (another account's) counts as higher only when its window refuses the program's
// messages too. True without a foreground window.
bool ForegroundTakesKeys();

// What a token that may not be read counts as: higher than any level.
constexpr DWORD kUnreadableIntegrity = MAXDWORD;

// Tests give the foreground window's integrity level (nullopt: read it from its process again).
void SetForegroundIntegrityForTests(std::optional<DWORD> level);
