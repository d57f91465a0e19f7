#include "hotkeys/KeyEmulation.h"

#include <string>
#include <thread>

#include "base/Log.h"
#include "support/ClipStoreFixture.h"
#include "support/KeyboardRecorder.h"
#include "support/Pump.h"

namespace {

using KeyEmulationTest = ClipStoreTest;

// "Ctrl+ V+ V- Ctrl-": the keys seen, each with + for down and - for up.
std::string Describe(const std::vector<KeyEvent>& events) {
    std::string text;
    for (const KeyEvent& event : events) {
        std::string name = event.vk == VK_CONTROL || event.vk == VK_LCONTROL ? "Ctrl"
                           : event.vk == VK_LWIN                            ? "Win"
                                                                            : std::string(1, static_cast<char>(event.vk));
        text += (text.empty() ? "" : " ") + name + ((event.flags & LLKHF_UP) ? "-" : "+");
    }
    return text;
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
        const std::string letter(1, static_cast<char>(operation.letter));
        ASSERT_EQ(Describe(events), "Ctrl+ " + letter + "+ " + letter + "- Ctrl-");
        for (const KeyEvent& event : events) {
            // The generic Ctrl (reported as the left one), scan codes mapped, never extended.
            EXPECT_EQ(event.scan, MapVirtualKeyA(event.vk == VK_LCONTROL ? VK_CONTROL : event.vk, 0));
            EXPECT_EQ(event.flags & LLKHF_EXTENDED, 0u);
            EXPECT_NE(event.flags & LLKHF_INJECTED, 0u);
        }
        // The lead pause comes before the first key, the trail after the last; GetTickCount is coarse.
        EXPECT_GE(events[0].tick - calledAt + 20, operation.leadMs);
        EXPECT_GE(returnedAt - events[3].tick + 20, operation.trailMs);
        EXPECT_EQ(folder.LogLines(), std::vector<std::string>{operation.logLine});
    }
}

// People hold the hotkey's keys while the paste is injected: a held Ctrl must stay down (the
// next Ctrl+digit still pastes), a held Win must be let go first (Win+Ctrl+V is the shell's).
TEST_F(KeyEmulationTest, KeysTheUserHoldsAreRespected) {
    const struct {
        WORD held;
        DWORD releaseAfterMs;  // 0: the test releases it after the paste
        const char* expected;
    } cases[] = {{VK_CONTROL, 0, "V+ V-"},
                 {VK_LWIN, 600, "Win- Ctrl+ V+ V- Ctrl-"},
                 {VK_LWIN, 0, "Ctrl+ V+ V- Ctrl-"}};  // held for good: injected after a second
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        ASSERT_TRUE(HoldKey(c.held));
        KeyboardRecorder recorder;  // sees what follows the user's press
        std::thread releaser;
        if (c.releaseAfterMs) releaser = std::thread([&] {
            Sleep(c.releaseAfterMs);
            SendKey(c.held, true);
        });
        EmulCTRL_V1();
        if (releaser.joinable()) releaser.join();
        std::string expected = c.expected;
        PumpUntil([&] { return Describe(recorder.Events()) == expected; }, 2000);
        EXPECT_EQ(Describe(recorder.Events()), expected);
        if (!c.releaseAfterMs) SendKey(c.held, true);
        EXPECT_EQ(GetAsyncKeyState(c.held) & 0x8000, 0);
    }
}
