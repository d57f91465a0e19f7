// What the program says through its icon's balloon, read as the taskbar receives it: a first start says where the
// program is, once its icon is there and never again; clips that cannot be written are told once a run. (A paste
// into a window run as administrator and keys another program holds are component cases.)
#include "E2eFixture.h"
#include "support/TrayIconShell.h"

namespace {

using BalloonsE2e = E2eTest;

const char kWriteFailure[] = "Couldn't create the file (WRITE)!";  // then the file's path

TEST_F(BalloonsE2e, AFirstStartSaysWhereTheProgramIsOnceItsIconIsThereAndTheNextStartSaysNothing) {
    StandInTaskbar taskbar;
    taskbar.RefuseAdds(true);  // at logon, before the taskbar is up
    {
        Program first(m_install);
        ASSERT_TRUE(first.Ready());
        // The program tries its icon again once a second, and says nothing meanwhile.
        ASSERT_TRUE(PumpUntil([&] { return taskbar.Count(NIM_ADD, first.MainWindow()) >= 2; }, kStepTimeoutMs));
        EXPECT_TRUE(taskbar.Balloons().empty());
        taskbar.RefuseAdds(false);
        ASSERT_TRUE(PumpUntil([&] { return !taskbar.Balloons().empty(); }, kStepTimeoutMs));
        const std::vector<TrayRequest> balloons = taskbar.Balloons(first.MainWindow());
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
    EXPECT_TRUE(taskbar.Balloons(second.MainWindow()).empty());
}

TEST_F(BalloonsE2e, ClipsThatCannotBeWrittenAreToldOnceARun) {
    StandInTaskbar taskbar;
    RemoveTree(m_install.File("RECENT"));  // removed by hand, or on a drive that is gone
    const std::wstring told = L"Clipboard Quorvex|Clips cannot be written to the folder " + m_install.File("RECENT") +
                              L". Clipboard Quorvex keeps them until it ends.";
    for (int run = 1; run <= 2; ++run) {
        Program program(m_install);
        ASSERT_TRUE(program.Ready());
        auto warnings = [&] {
            std::vector<std::wstring> shown;
            for (const TrayRequest& balloon : taskbar.Balloons(program.MainWindow()))
                if (balloon.infoFlags == NIIF_WARNING) shown.push_back(balloon.title + L"|" + balloon.text);
            return shown;
        };
        for (const std::string text : {"first", "second"}) {
            const int failures = m_install.LogCount(kWriteFailure);
            ASSERT_TRUE(PutTextOnClipboard(text + " of run " + std::to_string(run)));
            ASSERT_TRUE(PumpUntil([&] { return m_install.LogCount(kWriteFailure) > failures; }, kStepTimeoutMs));
        }
        EXPECT_TRUE(HandledAllPostedAndRuns(program));  // both captures are over
        EXPECT_EQ(warnings(), std::vector<std::wstring>{told}) << "run " << run;
        // No other at the end, when the clips that cannot be saved are lost rather than kept.
        ASSERT_TRUE(program.Exit());
        EXPECT_EQ(warnings(), std::vector<std::wstring>{told}) << "run " << run;
    }
}

}  // namespace
