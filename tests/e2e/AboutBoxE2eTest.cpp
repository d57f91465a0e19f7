// The about box, opened by a double click on the notification-area icon: the shell reports the
// click to the main window through the icon's callback message.
#include "E2eFixture.h"

namespace {

using AboutBoxE2e = E2eTest;

TEST_F(AboutBoxE2e, TrayDoubleClickOpensOneAboutBoxAtATime) {
    auto program = StartReady();
    ASSERT_TRUE(program->Ready());

    HWND about = OpenAboutBoxFromTray(*program);
    ASSERT_NE(about, nullptr) << "no about box titled \"" << kAboutTitle << "\"";

    // A second double click while it is open: the call comes back once the program has dealt
    // with it, which it could not while a second modal box stood open.
    DWORD_PTR result = 0;
    EXPECT_NE(SendMessageTimeoutA(program->MainWindow(), kTrayCallback, kTrayIconId, WM_LBUTTONDBLCLK, SMTO_NORMAL,
                                  kStepTimeoutMs, &result),
              0)
        << "the second double click opened a box that stays";
    EXPECT_EQ(TopLevelWindows(program->Id(), kAboutTitle).size(), 1u);
    EXPECT_TRUE(IsWindowVisible(about));

    ASSERT_TRUE(CloseAboutBox(about));
    EXPECT_TRUE(TopLevelWindows(program->Id(), kAboutTitle).empty());

    // Once it is closed, the next double click opens it again.
    HWND again = OpenAboutBoxFromTray(*program);
    ASSERT_NE(again, nullptr) << "the about box did not open a second time";
    EXPECT_TRUE(CloseAboutBox(again));

    // "End task" asks with WM_CLOSE, which ends the program as Exit does.
    EXPECT_TRUE(program->Running());
    PostMessageA(program->MainWindow(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(program->WaitForEnd(kStepTimeoutMs)) << "WM_CLOSE did not end the program";
    EXPECT_EQ(m_install.LogCount("APP ExitInstance"), 1);

    // An installer closing this program alone (the session goes on) ends it as Exit does.
    auto closed = StartReady();
    ASSERT_TRUE(closed->Ready());
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(closed->MainWindow(), WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, SMTO_NORMAL, kStepTimeoutMs,
                        &answer);
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    SendMessageTimeoutA(closed->MainWindow(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_NORMAL, kStepTimeoutMs,
                        &answer);
    EXPECT_TRUE(closed->WaitForEnd(kStepTimeoutMs)) << "closing the program for an installer left it running";
    EXPECT_TRUE(StartReady()->Ready()) << "a start after it was refused";
}

}  // namespace
