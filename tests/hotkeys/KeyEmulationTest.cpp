#include "hotkeys/KeyEmulation.h"

#include <atomic>
#include <mutex>
#include <thread>

#include "base/Log.h"
#include "support/ClipStoreFixture.h"
#include "support/Pump.h"

namespace {

struct KeyEvent {
    DWORD vk;
    DWORD scan;
    DWORD flags;
    DWORD tick;
};

// Records every keyboard event the system sees, through a low-level hook on its own thread.
class KeyboardRecorder {
public:
    KeyboardRecorder() {
        HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_thread = std::thread([this, ready] {
            s_recorder = this;
            HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, Hook, GetModuleHandleA(nullptr), 0);
            m_threadId = GetCurrentThreadId();
            SetEvent(ready);
            MSG msg;
            while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
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
    std::vector<KeyEvent> Events() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_events;
    }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HC_ACTION && s_recorder) {
            const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
            std::lock_guard<std::mutex> lock(s_recorder->m_mutex);
            s_recorder->m_events.push_back({key->vkCode, key->scanCode, key->flags, GetTickCount()});
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline KeyboardRecorder* s_recorder = nullptr;
    std::thread m_thread;
    DWORD m_threadId = 0;
    std::mutex m_mutex;
    std::vector<KeyEvent> m_events;
};

using KeyEmulationTest = ClipStoreTest;

void ExpectControlChord(const std::vector<KeyEvent>& events, DWORD letter, DWORD calledAt, DWORD leadMs) {
    ASSERT_EQ(events.size(), 4u);
    const DWORD vks[] = {VK_CONTROL, letter, letter, VK_CONTROL};
    const bool ups[] = {false, false, true, true};
    for (int i = 0; i < 4; ++i) {
        // The hook reports the generic Ctrl as the left one; no event is an extended key.
        EXPECT_TRUE(events[i].vk == vks[i] || (vks[i] == VK_CONTROL && events[i].vk == VK_LCONTROL)) << i;
        EXPECT_EQ((events[i].flags & LLKHF_UP) != 0, ups[i]) << i;
        EXPECT_EQ(events[i].flags & LLKHF_EXTENDED, 0u) << i;
        EXPECT_EQ(events[i].scan, MapVirtualKeyA(vks[i], 0)) << i;
        EXPECT_NE(events[i].flags & LLKHF_INJECTED, 0u) << i;
    }
    // The lead pause comes before the first key; GetTickCount has a coarse step.
    EXPECT_GE(events[0].tick - calledAt + 20, leadMs);
}

}  // namespace

TEST_F(KeyEmulationTest, PasteAndCopySendTheirChordAfterTheLeadPauseAndWaitForTheProgram) {
    const struct {
        void (*emulate)();
        DWORD letter;
        DWORD leadMs;
        DWORD trailMs;
        const char* logLine;
    } operations[] = {{EmulCTRL_V1, 'V', 300, 150, "EmulCTRL_V1 started"},
                      {EmulCTRL_C, 'C', 450, 200, "EmulCTRL_C started"}};
    for (const auto& operation : operations) {
        SCOPED_TRACE(operation.logLine);
        DeleteLog();  // a new log, as a start begins one
        KeyboardRecorder recorder;
        DWORD calledAt = GetTickCount();
        operation.emulate();
        DWORD returnedAt = GetTickCount();
        PumpUntil([&] { return recorder.Events().size() >= 4; }, 2000);
        std::vector<KeyEvent> events = recorder.Events();
        ExpectControlChord(events, operation.letter, calledAt, operation.leadMs);
        // The caller goes on (for a copy: reads the clipboard) no earlier than the trail after the last key.
        ASSERT_EQ(events.size(), 4u);
        EXPECT_GE(returnedAt - events[3].tick + 20, operation.trailMs);
        EXPECT_EQ(folder.LogLines(), std::vector<std::string>{operation.logLine});
    }
}
