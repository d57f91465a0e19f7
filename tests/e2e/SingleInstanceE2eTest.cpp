// One instance per session: a second start is refused, and "-exit" ends the running instance of
// the same installation and nothing else.
#include <algorithm>
#include <vector>

#include "E2eFixture.h"

namespace {

using SingleInstanceE2e = E2eTest;

// Position of a window in the order EnumWindows reports top-level windows, or -1.
int EnumerationIndex(HWND window) {
    struct Search {
        HWND target;
        int index;
        int found;
    } search{window, 0, -1};
    EnumWindows(
        [](HWND current, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            if (current == s->target) {
                s->found = s->index;
                return FALSE;
            }
            ++s->index;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST_F(SingleInstanceE2e, AnotherStartIsRefusedWhileAnInstanceRuns) {
    auto first = StartReady();
    ASSERT_TRUE(first->Ready());
    const std::vector<std::string> logOfFirst = m_install.LogLines();
    ASSERT_FALSE(logOfFirst.empty());

    // A plain start, and command lines that only resemble the exit request, are normal starts.
    for (const char* arguments : {"", "-EXIT", "-Exit", "-exit ", " -exit x", "x -exit"}) {
        SCOPED_TRACE(std::string("arguments \"") + arguments + "\"");
        const int exits = m_install.LogCount("APP ExitInstance");
        EXPECT_TRUE(RunToEnd(m_install, arguments));
        EXPECT_TRUE(PumpUntil([&] { return m_install.LogCount("APP ExitInstance") == exits + 1; }, kStepTimeoutMs));
        ASSERT_TRUE(first->Running());
    }

    // None of them asked the first instance to exit, and none restarted its log.
    EXPECT_TRUE(HandledAllPostedAndRuns(*first));
    const std::vector<std::string> log = m_install.LogLines();
    ASSERT_GE(log.size(), logOfFirst.size());
    EXPECT_TRUE(std::equal(logOfFirst.begin(), logOfFirst.end(), log.begin()));

    EXPECT_TRUE(first->Exit(kStepTimeoutMs));
}

TEST_F(SingleInstanceE2e, ExitRequestEndsTheRunningInstanceWhichSavesItsClips) {
    auto first = StartReady();
    ASSERT_TRUE(first->Ready());
    ASSERT_TRUE(CopyAndWaitForCapture("saved at exit", 1));
    // Take the saved clip away behind the program's back: only a save at exit brings it back.
    m_install.Remove(RecentFile(1));
    m_install.SetIni("RECENTS", "RECCLIP1", nullptr);
    ASSERT_FALSE(m_install.Exists(RecentFile(1)));

    EXPECT_TRUE(RunToEnd(m_install, "-exit"));
    EXPECT_TRUE(first->WaitForEnd(kStepTimeoutMs)) << "the running instance did not end";

    EXPECT_EQ(m_install.Read(RecentFile(1)), TextBlock("saved at exit"));
    EXPECT_EQ(m_install.Ini("RECENTS", "RECCLIP1"), "0x1");
    // Both processes appended their last entry to the one log, neither over the other.
    EXPECT_EQ(m_install.LogCount("APP ExitInstance"), 2);
}

TEST_F(SingleInstanceE2e, ExitRequestEndsNoOtherInstallationAndNoOtherProgram) {
    auto first = StartReady();
    ASSERT_TRUE(first->Ready());
    // A window of another program with the very same title, above the instance's window in the
    // order in which windows are enumerated.
    CountingWindow lookalike(kMainTitle);
    ASSERT_NE(lookalike.Handle(), nullptr);
    ASSERT_LT(EnumerationIndex(lookalike.Handle()), EnumerationIndex(first->MainWindow()));

    Installation elsewhere;
    ASSERT_TRUE(elsewhere.Ready());
    EXPECT_TRUE(RunToEnd(elsewhere, "-exit"));
    EXPECT_TRUE(HandledAllPostedAndRuns(*first)) << "a copy in another folder ended the instance";
    EXPECT_EQ(lookalike.Commands(kExitCommand), 0);
    // The request logged beside its own executable.
    EXPECT_EQ(elsewhere.LogCount("APP ExitInstance"), 1);
    EXPECT_EQ(m_install.LogCount("APP ExitInstance"), 0);

    EXPECT_TRUE(RunToEnd(m_install, "-exit"));
    EXPECT_TRUE(first->WaitForEnd(kStepTimeoutMs)) << "the request passed the instance by";
    PumpFor(0);
    EXPECT_EQ(lookalike.Commands(kExitCommand), 0) << "the other program's window got the Exit command";
}

TEST_F(SingleInstanceE2e, ExitRequestWithNothingRunningEndsAndChangesNothing) {
    EXPECT_TRUE(RunToEnd(m_install, "-exit"));
    EXPECT_FALSE(m_install.Exists("Save.ini"));
    EXPECT_FALSE(m_install.Exists(RecentFile(1)));
    EXPECT_EQ(m_install.LogLines(), std::vector<std::string>{"APP ExitInstance"});

    // It left nothing behind that would keep the next start out.
    auto program = StartReady();
    ASSERT_TRUE(program->Ready());
    EXPECT_TRUE(program->Exit(kStepTimeoutMs));
}

}  // namespace
