#include "hotkeys/KeyEmulation.h"

#include <algorithm>
#include <thread>
#include <tuple>

#include "support/ClipStoreFixture.h"
#include "support/KeyboardRecorder.h"
#include "support/Pump.h"

// Paste and copy send their chord after a lead pause and wait a while for the program that takes it. People hold
// the hotkey's keys meanwhile: a held Ctrl must stay down (the next Ctrl+digit still pastes), a held Win must be let
// go first (Win+Ctrl+V is the shell's), and one held for good is waited for a second at most.
using KeyEmulationTest = ClipStoreTest;  // the program's log goes to a folder of the test's own

TEST_F(KeyEmulationTest, TheChordComesAfterTheLeadPauseAndRespectsTheKeysTheUserHolds) {
    // The call, its lead pause before the chord and trail after it, the key the user holds and when it is let go
    // (0: after the chord), and the keys seen, each with + for down and - for up.
    const std::tuple<void (*)(), DWORD, DWORD, WORD, DWORD, std::string> cases[] = {
        {EmulCTRL_V1, 300, 150, 0, 0, "Ctrl+ V+ V- Ctrl-"},
        {EmulCTRL_C, 450, 200, 0, 0, "Ctrl+ C+ C- Ctrl-"},
        {EmulCTRL_V1, 300, 150, VK_CONTROL, 0, "V+ V-"},
        {EmulCTRL_V1, 300, 150, VK_LWIN, 600, "Win- Ctrl+ V+ V- Ctrl-"},
        {EmulCTRL_V1, 1300, 150, VK_LWIN, 0, "Ctrl+ V+ V- Ctrl-"}};
    for (const auto& [emulate, leadMs, trailMs, held, releaseAfterMs, expected] : cases) {
        ASSERT_TRUE(!held || HoldKey(held));
        KeyboardRecorder recorder;  // sees what follows the user's press
        std::thread releaser(
            [](WORD key, DWORD afterMs) {
                if (!afterMs) return;
                Sleep(afterMs);
                SendKey(key, true);
            },
            held, releaseAfterMs);
        const DWORD calledAt = GetTickCount();
        emulate();
        const DWORD returnedAt = GetTickCount();
        releaser.join();
        const auto keys = static_cast<size_t>(std::count(expected.begin(), expected.end(), ' ') + 1);
        PumpUntil([&] { return recorder.Events().size() >= keys; }, 2000);
        const std::vector<KeyEvent> events = recorder.Events();
        if (held && !releaseAfterMs) SendKey(held, true);
        std::string seen;
        for (const KeyEvent& event : events) {
            const bool control = event.vk == VK_CONTROL || event.vk == VK_LCONTROL;  // Ctrl is reported as the left one
            seen += (seen.empty() ? "" : " ") +
                    (event.vk == VK_LWIN ? "Win" : control ? "Ctrl" : std::string(1, static_cast<char>(event.vk))) +
                    (event.flags & LLKHF_UP ? "-" : "+");
            // The chord's keys go with their scan codes.
            EXPECT_TRUE(event.vk == held || event.scan == MapVirtualKeyA(control ? VK_CONTROL : event.vk, 0)) << seen;
        }
        ASSERT_EQ(seen, expected);
        // The lead pause comes before the chord's first key, the trail after its last; GetTickCount is coarse.
        EXPECT_GE(events[releaseAfterMs ? 1 : 0].tick - calledAt + 20, leadMs) << seen;
        EXPECT_GE(returnedAt - events.back().tick + 20, trailMs) << seen;
    }
}
