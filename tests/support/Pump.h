#pragma once
#include <windows.h>

#include <functional>

// Dispatches this thread's messages until the condition holds or the time is up.
// Returns whether the condition held.
inline bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// Dispatches this thread's messages for the given time (for "nothing else happens" checks).
inline void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}
