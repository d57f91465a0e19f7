#include "hotkeys/KeyEmulation.h"

#include <algorithm>
#include <tuple>

#include "support/ClipStoreFixture.h"
#include "support/KeyboardRecorder.h"
#include "support/Pump.h"

using KeyEmulationTest = ClipStoreTest;  // the program's log goes to a folder of the test's own

// Paste and copy send their chord after a lead pause and wait a while for the program that takes it. People hold
// the hotkey's keys meanwhile: a held Ctrl must stay down (the next Ctrl+digit still pastes), a held Win must be let
// go first (Win+Ctrl+V is the shell's), so the chord waits a second at most for it.
TEST_F(KeyEmulationTest, TheChordComesAfterTheLeadPauseAndRespectsTheKeysTheUserHolds) {
    // The call, its lead pause before the chord and trail after it, the key the user holds, and the keys seen, each
    // with + for down and - for up.
    const std::tuple<void (*)(), DWORD, DWORD, WORD, std::string> cases[] = {
        {EmulCTRL_V1, 300, 150, 0, "Ctrl+ V+ V- Ctrl-"},
        {EmulCTRL_C, 450, 200, 0, "Ctrl+ C+ C- Ctrl-"},
        {EmulCTRL_V1, 300, 150, VK_CONTROL, "V+ V-"},
        {EmulCTRL_V1, 1300, 150, VK_LWIN, "Ctrl+ V+ V- Ctrl-"}};
    for (const auto& [emulate, leadMs, trailMs, held, expected] : cases) {
        ASSERT_TRUE(!held || HoldKey(held));
        KeyboardRecorder recorder;  // sees what follows the user's press
        const DWORD calledAt = GetTickCount();
        emulate();
        const DWORD returnedAt = GetTickCount();
        const auto keys = static_cast<size_t>(std::count(expected.begin(), expected.end(), ' ') + 1);
        PumpUntil([&] { return recorder.Events().size() >= keys; }, 2000);
        const std::vector<KeyEvent> events = recorder.Events();
        if (held) SendKey(held, true);
        std::string seen;
        for (const KeyEvent& event : events) {
            const bool control = event.vk == VK_CONTROL || event.vk == VK_LCONTROL;  // Ctrl is reported as the left one
            seen += (seen.empty() ? "" : " ") + (control ? "Ctrl" : std::string(1, static_cast<char>(event.vk))) +
                    (event.flags & LLKHF_UP ? "-" : "+");
            // The chord's keys go with their scan codes.
            EXPECT_EQ(event.scan, MapVirtualKeyA(control ? VK_CONTROL : event.vk, 0)) << seen;
        }
        ASSERT_EQ(seen, expected);
        // The lead pause comes before the chord's first key, the trail after its last; GetTickCount is coarse.
        EXPECT_GE(events.front().tick - calledAt + 20, leadMs) << seen;
        EXPECT_GE(returnedAt - events.back().tick + 20, trailMs) << seen;
    }
}
