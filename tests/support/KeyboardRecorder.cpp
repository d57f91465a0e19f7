#include "KeyboardRecorder.h"

#include "support/Pump.h"

KeyboardRecorder::KeyboardRecorder() {
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
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
        UnhookWindowsHookEx(hook);
    });
    WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
}

KeyboardRecorder::~KeyboardRecorder() {
    PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);
    m_thread.join();
    s_recorder = nullptr;
}

std::vector<KBDLLHOOKSTRUCT> KeyboardRecorder::Events() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
}

void SendKey(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

bool HoldKey(WORD vk) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        SendKey(vk, false);
        if (PumpUntil([vk] { return (GetAsyncKeyState(vk) & 0x8000) != 0; }, 1000)) return true;
    }
    return false;
}

bool HotkeyTaken(UINT modifiers, UINT key) {
    if (!RegisterHotKey(nullptr, 0xB000, modifiers, key)) return true;
    UnregisterHotKey(nullptr, 0xB000);
    return false;
}
