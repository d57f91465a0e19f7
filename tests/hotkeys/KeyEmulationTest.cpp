#include "hotkeys/KeyEmulation.h"

#include <string>
#include <thread>

#include "base/Log.h"
#include "support/ClipStoreFixture.h"
#include "support/KeyboardRecorder.h"
#include "support/Pump.h"

using KeyEmulationTest = ClipStoreTest;

// Paste and copy send their chord after a lead pause and wait a while for the program that takes it. People hold
// the hotkey's keys meanwhile: a held Ctrl must stay down (the next Ctrl+digit still pastes), a held Win must be let
// go first (Win+Ctrl+V is the shell's).
TEST_F(KeyEmulationTest, TheChordComesAfterTheLeadPauseAndRespectsTheKeysTheUserHolds) {
    const struct {
        void (*emulate)();
        const char* logLine;
        DWORD leadMs;
        DWORD trailMs;
        WORD held;
        DWORD releaseAfterMs;  // 0: the test releases it after the chord
        const char* expected;  // the keys seen, each with + for down and - for up
    } cases[] = {{EmulCTRL_V1, "EmulCTRL_V1 started", 300, 150, 0, 0, "Ctrl+ V+ V- Ctrl-"},
                 {EmulCTRL_C, "EmulCTRL_C started", 450, 200, 0, 0, "Ctrl+ C+ C- Ctrl-"},
                 {EmulCTRL_V1, "EmulCTRL_V1 started", 300, 150, VK_CONTROL, 0, "V+ V-"},
                 {EmulCTRL_V1, "EmulCTRL_V1 started", 300, 150, VK_LWIN, 600, "Win- Ctrl+ V+ V- Ctrl-"},
                 // Held for good: injected after a second.
                 {EmulCTRL_V1, "EmulCTRL_V1 started", 1300, 150, VK_LWIN, 0, "Ctrl+ V+ V- Ctrl-"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        DeleteLog();  // a new log, as a start begins one
        ASSERT_TRUE(!c.held || HoldKey(c.held));
        KeyboardRecorder recorder;  // sees what follows the user's press
        std::thread releaser;
        if (c.releaseAfterMs) releaser = std::thread([&] {
            Sleep(c.releaseAfterMs);
            SendKey(c.held, true);
        });
        const DWORD calledAt = GetTickCount();
        c.emulate();
        const DWORD returnedAt = GetTickCount();
        if (releaser.joinable()) releaser.join();
        std::string seen;
        PumpUntil([&] {
            seen.clear();
            for (const KeyEvent& event : recorder.Events()) {
                seen += seen.empty() ? "" : " ";
                seen += event.vk == VK_CONTROL || event.vk == VK_LCONTROL ? "Ctrl"
                        : event.vk == VK_LWIN                            ? "Win"
                                                                         : std::string(1, static_cast<char>(event.vk));
                seen += event.flags & LLKHF_UP ? "-" : "+";
            }
            return seen == c.expected;
        }, 2000);
        ASSERT_EQ(seen, c.expected);
        const std::vector<KeyEvent> events = recorder.Events();
        for (const KeyEvent& event : events) {
            if (event.vk == c.held) continue;  // the user's own key
            // The generic Ctrl (reported as the left one), scan codes mapped, never extended.
            EXPECT_EQ(event.scan, MapVirtualKeyA(event.vk == VK_LCONTROL ? VK_CONTROL : event.vk, 0));
            EXPECT_EQ(event.flags & LLKHF_EXTENDED, 0u);
            EXPECT_NE(event.flags & LLKHF_INJECTED, 0u);
        }
        // The lead pause comes before the first key of the chord, the trail after the last; GetTickCount is coarse.
        EXPECT_GE(events[c.releaseAfterMs ? 1 : 0].tick - calledAt + 20, c.leadMs);
        EXPECT_GE(returnedAt - events.back().tick + 20, c.trailMs);
        EXPECT_EQ(folder.LogLines(), std::vector<std::string>{c.logLine});
        if (c.held && !c.releaseAfterMs) SendKey(c.held, true);
    }
}
