// What the program says through its icon's balloon, read as the taskbar
// receives it: a first start says where the program is, once its icon is there
// and never again; clips that cannot be written are told once a run. (A paste
// into a window run as administrator and keys another program holds are
// component cases.)
#include "E2eFixture.h"
#include "support/TrayIconShell.h"

namespace {

using BalloonsE2e = E2eTest;

const char kWriteFailure[] = "Couldn't create the file (WRITE)!";  // then the file's path

// Two starts without RECENT (removed by hand, or on a drive that is gone): the first says where the program is and
// then that the clips cannot be written, the second only the latter, again once.
TEST_F(BalloonsE2e, AFirstStartSaysWhereTheProgramIsOnceItsIconIsThereAndClipsThatCannotBeWrittenAreToldOnceARun) {
    StandInTaskbar taskbar;
    taskbar.RefuseAdds(true);  // at logon, before the taskbar is up
    RemoveTree(m_install.File("RECENT"));
    const std::wstring whereItIs =
        L"Clipboard Quorvex is running. Ctrl+1 \u2026 Ctrl+0 paste the recent clips, Ctrl+Win+1 \u2026 Ctrl+Win+0 "
        L"store the selection as a favourite. Right-click its icon in the notification area for the menu.";
    // A balloon as its kind, title and text.
    const std::wstring info = std::to_wstring(NIIF_INFO) + L"|Clipboard Quorvex|" + whereItIs;
    const std::wstring warning = std::to_wstring(NIIF_WARNING) +
                                 L"|Clipboard Quorvex|Clips cannot be written to the folder " +
                                 m_install.File("RECENT") + L". Clipboard Quorvex keeps them until it ends.";
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        Program program(m_install);
        ASSERT_TRUE(program.Ready());
        auto told = [&] {
            std::vector<std::wstring> shown;
            for (const TrayRequest& request : taskbar.Balloons(program.MainWindow()))
                shown.push_back(std::to_wstring(request.infoFlags) + L"|" + request.title + L"|" + request.text);
            return shown;
        };
        std::vector<std::wstring> expected;
        if (run == 1) {
            // The program tries its icon again once a second, and says nothing meanwhile.
            ASSERT_TRUE(PumpUntil([&] { return taskbar.Count(NIM_ADD, program.MainWindow()) >= 2; }, kStepTimeoutMs));
            EXPECT_TRUE(taskbar.Balloons().empty());
            taskbar.RefuseAdds(false);
            ASSERT_TRUE(PumpUntil([&] { return !taskbar.Balloons().empty(); }, kStepTimeoutMs));
            expected.push_back(info);
            EXPECT_EQ(told(), expected);
            EXPECT_EQ(m_install.LogCount("Balloon: " + ToAnsi(whereItIs)), 1);
        } else {
            EXPECT_TRUE(HandledAllPostedAndRuns(program));  // long past its start-up
            EXPECT_EQ(taskbar.Count(NIM_ADD, program.MainWindow()), 1);
        }
        for (const std::string text : {"first", "second"}) {
            const int failures = m_install.LogCount(kWriteFailure);
            ASSERT_TRUE(PutTextOnClipboard(text + " of run " + std::to_string(run)));
            ASSERT_TRUE(PumpUntil([&] { return m_install.LogCount(kWriteFailure) > failures; }, kStepTimeoutMs));
        }
        EXPECT_TRUE(HandledAllPostedAndRuns(program));  // both captures are over
        expected.push_back(warning);
        EXPECT_EQ(told(), expected);
        // No other at the end, when the clips that cannot be saved are lost rather than kept.
        ASSERT_TRUE(program.Exit());
        EXPECT_EQ(told(), expected);
    }
}

}  // namespace
