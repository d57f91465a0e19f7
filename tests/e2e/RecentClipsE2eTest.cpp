// Recent clips from the user's side: copies made in other programs are captured, and Ctrl+digit
// pastes them into the window that has the keyboard focus.
#include "E2eFixture.h"

namespace {

using RecentClipsE2e = E2eTest;

TEST_F(RecentClipsE2e, CopiesInAnotherProgramBecomeRecentClipsOldestFirst) {
    auto program = StartReady();
    ASSERT_TRUE(program->Ready());
    // Starting with an empty clipboard captures nothing.
    EXPECT_FALSE(m_install.Exists(RecentFile(1)));
    EXPECT_EQ(m_install.Ini("RECENTS", "RECCLIP1"), "<missing>");

    ASSERT_TRUE(CopyAndWaitForCapture("first copy", 1));
    EXPECT_EQ(m_install.Ini("RECENTS", "CAPTION1"), "") << "a text clip has an empty caption entry";
    EXPECT_EQ(m_install.Ini("RECENTS", "RECCLIP2"), "<missing>");

    ASSERT_TRUE(CopyAndWaitForCapture("second copy", 2));
    // The same text copied again is a clip of its own.
    ASSERT_TRUE(CopyAndWaitForCapture("second copy", 3));
    EXPECT_EQ(m_install.Read(RecentFile(1)), TextBlock("first copy"));
    EXPECT_EQ(m_install.Read(RecentFile(2)), TextBlock("second copy"));
    EXPECT_EQ(m_install.Ini("RECENTS", "CAPTION3"), "");

    EXPECT_TRUE(program->Exit(kStepTimeoutMs));
}

TEST_F(RecentClipsE2e, CtrlDigitPastesTheRecentClipIntoTheFocusedWindow) {
    auto program = StartReady();
    ASSERT_TRUE(program->Ready());
    ASSERT_TRUE(CopyAndWaitForCapture("older clip", 1));
    ASSERT_TRUE(CopyAndWaitForCapture("newer clip", 2));
    // Whatever arrives in the editor now can only come from the program.
    const int emptied = m_install.LogCount("Clipboard is empty");
    ASSERT_TRUE(ClearClipboard());
    ASSERT_TRUE(PumpUntil([&] { return m_install.LogCount("Clipboard is empty") > emptied; }, kStepTimeoutMs));

    TypingTarget editor;
    ASSERT_TRUE(editor.TakeFocus()) << "the test's editor could not get the keyboard focus";

    ASSERT_TRUE(PressKeys({VK_CONTROL, '1'}));
    EXPECT_TRUE(PumpUntil([&] { return editor.Text() == "newer clip"; }, kStepTimeoutMs))
        << "editor holds \"" << editor.Text() << "\"";
    EXPECT_EQ(ClipboardText(), "newer clip");

    ASSERT_TRUE(PressKeys({VK_CONTROL, '2'}));
    EXPECT_TRUE(PumpUntil([&] { return editor.Text() == "newer clipolder clip"; }, kStepTimeoutMs))
        << "editor holds \"" << editor.Text() << "\"";
    EXPECT_EQ(ClipboardText(), "older clip");

    // Putting its own clips on the clipboard neither adds them again nor reorders the list.
    EXPECT_EQ(m_install.Ini("RECENTS", "RECCLIP3"), "<missing>");
    EXPECT_FALSE(m_install.Exists(RecentFile(3)));
    EXPECT_EQ(m_install.Read(RecentFile(1)), TextBlock("older clip"));
    EXPECT_EQ(m_install.Read(RecentFile(2)), TextBlock("newer clip"));

    EXPECT_TRUE(program->Exit(kStepTimeoutMs));
}

}  // namespace
