// One instance per session: a second start is refused, "-exit" ends the running instance of the same
// installation and nothing else, and Windows ends it as Exit does.
#include <algorithm>
#include <vector>

#include "E2eFixture.h"

namespace {

using SingleInstanceE2e = E2eTest;

// Position of a window in the order EnumWindows reports top-level windows, or -1.
int EnumerationIndex(HWND window) {
    std::vector<HWND> all = TopLevelWindows(0);
    auto found = std::find(all.begin(), all.end(), window);
    return found == all.end() ? -1 : static_cast<int>(found - all.begin());
}

TEST_F(SingleInstanceE2e, AnotherStartIsRefusedAndExitEndsOnlyTheInstanceOfItsOwnInstallation) {
    auto first = StartReady();
    ASSERT_TRUE(first->Ready());
    ASSERT_TRUE(CopyAndWaitForCapture("saved at exit", 1));
    const std::vector<std::string> logOfFirst = m_install.LogLines();

    // A plain start, and command lines that only resemble the exit request, are normal starts.
    for (const char* arguments : {"", "-EXIT", " -exit x", "x -exit"}) {
        SCOPED_TRACE(std::string("arguments \"") + arguments + "\"");
        EXPECT_TRUE(RunToEnd(m_install, arguments));
        ASSERT_TRUE(first->Running());
    }
    // None of them restarted the log.
    const std::vector<std::string> log = m_install.LogLines();
    ASSERT_GE(log.size(), logOfFirst.size());
    EXPECT_TRUE(std::equal(logOfFirst.begin(), logOfFirst.end(), log.begin()));

    // Another program's window with the very same title, found first, and a copy of the program in
    // another folder asking: neither ends the instance.
    CountingWindow lookalike(kMainTitle);
    ASSERT_LT(EnumerationIndex(lookalike.Handle()), EnumerationIndex(first->MainWindow()));
    Installation elsewhere;
    ASSERT_TRUE(elsewhere.Ready());
    EXPECT_TRUE(RunToEnd(elsewhere, "-exit"));
    EXPECT_TRUE(HandledAllPostedAndRuns(*first)) << "a copy in another folder ended the instance";

    // Its own installation's request ends it, and it saves its clips on the way out.
    m_install.Remove(RecentFile(1));
    m_install.SetIni("RECENTS", "RECCLIP1", nullptr);
    EXPECT_TRUE(RunToEnd(m_install, "-exit"));
    EXPECT_TRUE(first->WaitForEnd(kStepTimeoutMs)) << "the running instance did not end";
    PumpFor(0);
    EXPECT_EQ(lookalike.Received(), 0) << "the other program's window got the Exit command";
    EXPECT_EQ(m_install.Read(RecentFile(1)), TextBlock("saved at exit"));
    EXPECT_EQ(m_install.Ini("RECENTS", "RECCLIP1"), "0x1");

    // With nothing running the request ends at once and leaves nothing that keeps the next start out.
    EXPECT_TRUE(RunToEnd(m_install, "-exit"));
    EXPECT_TRUE(StartReady()->Ready());
}

TEST_F(SingleInstanceE2e, WindowsEndsItAsExitDoes) {
    // "End task" and taskkill ask with WM_CLOSE.
    auto program = StartReady();
    ASSERT_TRUE(program->Ready());
    PostMessageA(program->MainWindow(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(program->WaitForEnd(kStepTimeoutMs)) << "WM_CLOSE did not end the program";

    // An installer closing this program alone (the session goes on).
    program = StartReady();
    ASSERT_TRUE(program->Ready());
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(program->MainWindow(), WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, SMTO_NORMAL, kStepTimeoutMs,
                        &answer);
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    SendMessageTimeoutA(program->MainWindow(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_NORMAL, kStepTimeoutMs,
                        &answer);
    EXPECT_TRUE(program->WaitForEnd(kStepTimeoutMs)) << "closing the program for an installer left it running";
}

}  // namespace
