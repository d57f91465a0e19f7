#pragma once

// Makes the focused program paste: Ctrl+V injected 300 ms after the call, then 150 ms for it to act.
void EmulCTRL_V1();

// Makes the focused program copy its selection: Ctrl+C after 450 ms, then 200 ms for it to act.
void EmulCTRL_C();
