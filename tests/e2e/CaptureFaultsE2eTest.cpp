// What other programs do to the clipboard and the viewer chain, and what the program must survive:
// viewers and clipboard owners that stop answering, and a clipboard held for a moment. (Late
// notifications of bursts of copies are component cases.)
#include "E2eFixture.h"
#include "support/OtherProgram.h"

namespace {

const char kTimedOut[] = "Clipboard data did not arrive within 2 s: copy not captured";

using CaptureFaultsE2e = E2eTest;

// The texts of the recent clips on disk, oldest first, up to the first empty position.
std::vector<std::string> StoredTexts(const Installation& install) {
    std::vector<std::string> texts;
    for (int position = 1; position <= 10; ++position) {
        if (install.Ini("RECENTS", RecentKey(position).c_str()) != "0x1") break;
        texts.push_back(install.Read(RecentFile(position)).c_str());
    }
    return texts;
}

// A viewer after us that hangs, a chain change naming us, owners that hang instead of rendering and a
// clipboard held a moment, in one run: each copy is stored once, and the viewer is passed every change.
TEST_F(CaptureFaultsE2e, HungViewersAndOwnersAndAHeldClipboardHoldNothingUp) {
    OtherProgram viewer;
    viewer.JoinViewerChain();
    Program program(m_install);
    ASSERT_TRUE(program.Ready());
    viewer.Hang();
    ASSERT_TRUE(CopyAndWaitForCapture("while a viewer hangs", 1));
    ASSERT_TRUE(CopyAndWaitForCapture("still hanging", 2));

    // Another program claims that the viewer after us leaves and that we ourselves come next.
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(program.MainWindow(), WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(viewer.Window()),
                        reinterpret_cast<LPARAM>(program.MainWindow()), SMTO_NORMAL, kStepTimeoutMs, &answer);
    ASSERT_TRUE(CopyAndWaitForCapture("captured once", 3));
    EXPECT_TRUE(HandledAllPostedAndRuns(program));
    // The viewer, answering again, was passed every change.
    viewer.Release();
    EXPECT_TRUE(PumpUntil([&] { return viewer.Notifications() >= 3; }, kStepTimeoutMs));

    // An owner that hangs instead of rendering is given up after two seconds.
    ASSERT_TRUE(CopyAndWaitForCapture("before", 4));
    {
        OtherProgram owner;  // promises text and hangs when asked for it, until released
        owner.CopyPromising({{CF_TEXT, TextBlock("late text")}}, INFINITE);
        ASSERT_TRUE(PumpUntil([&] { return m_install.LogCount(kTimedOut) == 1; }, kStepTimeoutMs));
        EXPECT_TRUE(HandledAllPostedAndRuns(program)) << "menus must answer while the owner still hangs";
        // The clipboard stays open while its owner is asked to render: a put fails and says so.
        PostMessageA(program.MainWindow(), WM_COMMAND, kRecentFirstCommand, 0);
        EXPECT_TRUE(PumpUntil([&] { return m_install.LogCount("Error returned from PutRecentClip()") == 1; },
                              kStepTimeoutMs));
        EXPECT_EQ(m_install.LogCount("OpenClipboard error"), 1);
        owner.Release();  // it renders now, too late: that text is not stored
        ASSERT_TRUE(CopyAndWaitForCapture("after the hang", 5));
    }

    // A program that keeps the clipboard open a moment after its copy was announced: the copy is still stored.
    viewer.Hold(true);
    PostMessageA(program.MainWindow(), WM_DRAWCLIPBOARD, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return StoredTexts(m_install).size() == 6; }, kStepTimeoutMs));

    // A double click on the icon while a capture waits: the about box opens once the wait is over,
    // never inside it, so copies made while it is open are captured and the program's own put is not.
    const int captures = m_install.LogCount("GetRecentClip started");
    {
        OtherProgram owner;  // promises text and hangs when asked for it, until released
        owner.CopyPromising({{CF_TEXT, TextBlock("late text")}}, INFINITE);
        ASSERT_TRUE(PumpUntil([&] { return m_install.LogCount("GetRecentClip started") > captures; }, kStepTimeoutMs));
        SendNotifyMessageA(program.MainWindow(), kTrayCallback, kTrayIconId, WM_LBUTTONDBLCLK);
        HWND about = WaitForDialog(program, kAboutTitle);
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(m_install.LogCount(kTimedOut), 2) << "the box opened inside the capture's wait";
        owner.Release();
        ASSERT_TRUE(CopyAndWaitForCapture("while the box is open", 7));
        PressKeys({VK_CONTROL, '4'});  // puts "before" back
        EXPECT_TRUE(PumpUntil([] { return ClipboardText() == "before"; }, kStepTimeoutMs));
        EXPECT_TRUE(CloseWith(about, IDOK));
    }
    ASSERT_TRUE(CopyAndWaitForCapture("after the box", 8));
    EXPECT_EQ(StoredTexts(m_install),
              (std::vector<std::string>{"while a viewer hangs", "still hanging", "captured once", "before",
                                        "after the hang", "held", "while the box is open", "after the box"}));

    // The viewer is still passed every change once we have left.
    ASSERT_TRUE(program.Exit());
    const int seen = viewer.Notifications();
    ASSERT_TRUE(PutTextOnClipboard("after we left"));
    EXPECT_TRUE(PumpUntil([&] { return viewer.Notifications() > seen; }, kStepTimeoutMs));
}

}  // namespace
