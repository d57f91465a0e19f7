#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

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

// Runs `open`, which shows a modal dialog, and acts on dialogs from within their modal loops: each action runs once,
// on a visible dialog with its title, when one shows. The first is for the dialog `open` shows, the others for
// dialogs it may open: an action that opens one returns only when that closes, and the nested loop's timer ticks run
// the next. True when the first action ran.
inline bool ActOnDialogs(std::vector<std::pair<std::string, std::function<void(HWND)>>> actions,
                         const std::function<void()>& open) {
    static decltype(actions)* pending = nullptr;
    pending = &actions;
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR, DWORD) {
        for (auto& [title, act] : *pending) {
            HWND dialog = FindWindowA("#32770", title.c_str());
            if (act && dialog && IsWindowVisible(dialog)) std::exchange(act, nullptr)(dialog);
        }
    });
    open();
    KillTimer(nullptr, timer);
    return !actions.front().second;
}
