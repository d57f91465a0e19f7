#pragma once
#include <windows.h>

#include <functional>

// Dispatches this thread's messages until the condition holds or the time is up.
// Returns whether the condition held.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// Dispatches this thread's messages for the given time (for "nothing else happens" checks).
void PumpFor(DWORD ms);
