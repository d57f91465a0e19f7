#pragma once
#include <windows.h>

#include <mutex>
#include <thread>
#include <vector>

// Records every keyboard event the system sees, as the hook gets it, through a low-level hook on its own thread.
class KeyboardRecorder {
public:
    KeyboardRecorder();
    ~KeyboardRecorder();

    std::vector<KBDLLHOOKSTRUCT> Events();

private:
    static inline KeyboardRecorder* s_recorder = nullptr;
    std::thread m_thread;
    DWORD m_threadId = 0;
    std::mutex m_mutex;
    std::vector<KBDLLHOOKSTRUCT> m_events;
};

// Sends one key event through the system's input, as a keyboard would.
void SendKey(WORD vk, bool up);

// Whether some process holds the key combination: the test tries to register it itself and
// gives it back at once.
bool HotkeyTaken(UINT modifiers, UINT key);

// Presses a key and waits until the system reports it held. Wine re-reads the X server's key
// state when its desktop window gets the focus and may drop an injected key-down then, so the
// press is repeated a few times. False when the key never reads as held.
bool HoldKey(WORD vk);
