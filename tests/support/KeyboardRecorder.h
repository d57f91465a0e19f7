#pragma once
#include <windows.h>

#include <mutex>
#include <thread>
#include <vector>

#include "support/Pump.h"

// Records every keyboard event the system sees, as the hook gets it, through a low-level hook on its own thread.
class KeyboardRecorder {
public:
    KeyboardRecorder() {
        HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_thread = std::thread([this, ready] {
            s_recorder = this;
            auto record = [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
                if (code == HC_ACTION && s_recorder) {
                    std::lock_guard<std::mutex> lock(s_recorder->m_mutex);
                    s_recorder->m_events.push_back(*reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam));
                }
                return CallNextHookEx(nullptr, code, wParam, lParam);
            };
            HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, record, GetModuleHandleA(nullptr), 0);
            m_threadId = GetCurrentThreadId();
            SetEvent(ready);
            for (MSG msg; GetMessageA(&msg, nullptr, 0, 0) > 0;) DispatchMessageA(&msg);
            UnhookWindowsHookEx(hook);
        });
        WaitForSingleObject(ready, INFINITE);
        CloseHandle(ready);
    }
    ~KeyboardRecorder() {
        PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);
        m_thread.join();
        s_recorder = nullptr;
    }

    std::vector<KBDLLHOOKSTRUCT> Events() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_events;
    }

private:
    static inline KeyboardRecorder* s_recorder = nullptr;
    std::thread m_thread;
    DWORD m_threadId = 0;
    std::mutex m_mutex;
    std::vector<KBDLLHOOKSTRUCT> m_events;
};

// Sends one key event through the system's input, as a keyboard would.
inline void SendKey(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

// Whether some process holds the key combination: the test tries to register it itself and
// gives it back at once.
inline bool HotkeyTaken(UINT modifiers, UINT key) {
    if (!RegisterHotKey(nullptr, 0xB000, modifiers, key)) return true;
    UnregisterHotKey(nullptr, 0xB000);
    return false;
}

// Presses a key and waits until the system reports it held. Wine re-reads the X server's key
// state when its desktop window gets the focus and may drop an injected key-down then, so the
// press is repeated a few times. False when the key never reads as held.
inline bool HoldKey(WORD vk) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        SendKey(vk, false);
        if (PumpUntil([vk] { return (GetAsyncKeyState(vk) & 0x8000) != 0; }, 1000)) return true;
    }
    return false;
}
