// What the program says through its icon's balloon, read as the taskbar receives it: a first start says where the
// program is, once its icon is there and never again; clips that cannot be written are told once a run. (A paste
// into a window run as administrator and keys another program holds are component cases.)
#include "E2eFixture.h"
#include "support/TrayIconShell.h"

namespace {

using BalloonsE2e = E2eTest;

const char kWriteFailure[] = "Couldn't create the file (WRITE)!";  // then the file's path

// The balloons shown from the icon of the window, in order.
std::vector<TrayRequest> BalloonsOf(const StandInTaskbar& taskbar, HWND window) {
    std::vector<TrayRequest> balloons = taskbar.Balloons();
    balloons.erase(std::remove_if(balloons.begin(), balloons.end(),
                                  [window](const TrayRequest& balloon) { return balloon.window != window; }),
                   balloons.end());
    return balloons;
}

TEST_F(BalloonsE2e, AFirstStartSaysWhereTheProgramIsOnceItsIconIsThereAndTheNextStartSaysNothing) {
    StandInTaskbar taskbar;
    ASSERT_TRUE(taskbar.FoundFirst());
    taskbar.RefuseAdds(true);  // at logon, before the taskbar is up
    {
        Program first(m_install);
        ASSERT_TRUE(first.Ready());
        // The program tries its icon again once a second, and says nothing meanwhile.
        ASSERT_TRUE(PumpUntil([&] { return taskbar.Count(NIM_ADD, first.MainWindow()) >= 2; }, kStepTimeoutMs));
        EXPECT_TRUE(taskbar.Balloons().empty());
        taskbar.RefuseAdds(false);
        ASSERT_TRUE(PumpUntil([&] { return !taskbar.Balloons().empty(); }, kStepTimeoutMs));
        const std::vector<TrayRequest> balloons = BalloonsOf(taskbar, first.MainWindow());
        ASSERT_EQ(balloons.size(), 1u);
        EXPECT_EQ(balloons[0].title, L"Clipboard Quorvex");
        EXPECT_EQ(balloons[0].text,
                  L"Clipboard Quorvex is running. Ctrl+1 \u2026 Ctrl+0 paste the recent clips, Ctrl+Win+1 \u2026 "
                  L"Ctrl+Win+0 store the selection as a favourite. Right-click its icon in the notification area "
                  L"for the menu.");
        EXPECT_EQ(balloons[0].infoFlags, static_cast<DWORD>(NIIF_INFO));
        EXPECT_EQ(m_install.LogCount("Balloon: " + ToAnsi(balloons[0].text)), 1);
    }
    Program second(m_install);
    ASSERT_TRUE(second.Ready());
    EXPECT_TRUE(HandledAllPostedAndRuns(second));  // long past its start-up
    EXPECT_EQ(taskbar.Count(NIM_ADD, second.MainWindow()), 1);
    EXPECT_TRUE(BalloonsOf(taskbar, second.MainWindow()).empty());
}

TEST_F(BalloonsE2e, ClipsThatCannotBeWrittenAreToldOnceARun) {
    StandInTaskbar taskbar;
    RemoveTree(m_install.File("RECENT"));  // removed by hand, or on a drive that is gone
    const std::wstring told = L"Clips cannot be written to the folder " + m_install.File("RECENT") +
                              L". Clipboard Quorvex keeps them until it ends.";
    for (int run = 1; run <= 2; ++run) {
        Program program(m_install);
        ASSERT_TRUE(program.Ready());
        auto warnings = [&] {
            std::vector<TrayRequest> balloons = BalloonsOf(taskbar, program.MainWindow());
            balloons.erase(std::remove_if(balloons.begin(), balloons.end(),
                                          [](const TrayRequest& balloon) { return balloon.infoFlags != NIIF_WARNING; }),
                           balloons.end());
            return balloons;
        };
        for (const std::string text : {"first", "second"}) {
            const int failures = m_install.LogCount(kWriteFailure);
            ASSERT_TRUE(PutTextOnClipboard(text + " of run " + std::to_string(run)));
            ASSERT_TRUE(PumpUntil([&] { return m_install.LogCount(kWriteFailure) > failures; }, kStepTimeoutMs));
        }
        EXPECT_TRUE(HandledAllPostedAndRuns(program));  // both captures are over
        ASSERT_EQ(warnings().size(), 1u) << "run " << run;
        EXPECT_EQ(warnings()[0].text, told);
        EXPECT_EQ(warnings()[0].title, L"Clipboard Quorvex");
        // Nor when the program ends and cannot save them: then they are not kept.
        ASSERT_TRUE(program.Exit());
        EXPECT_EQ(warnings().size(), 1u) << "run " << run;
    }
}

}  // namespace
