#pragma once

// Both wait (up to a second) for Win, Alt and Shift to be released first, and leave out the Ctrl
// events when the user holds Ctrl already.

// Makes the focused program paste: Ctrl+V injected 300 ms after the call, then 150 ms for it to act.
void EmulCTRL_V1();

// Makes the focused program copy its selection: Ctrl+C after 450 ms, then 200 ms for it to act.
void EmulCTRL_C();
