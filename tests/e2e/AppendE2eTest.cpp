// The settings and the append file from the user's side: the first start turns start with Windows
// and append mode on, copied texts collect in ClipAppends.txt, and Win+Insert pastes them all.
#include "E2eFixture.h"

namespace {

using AppendE2e = E2eTest;
constexpr UINT kAppendModeCommand = 32848;

TEST_F(AppendE2e, TheFirstStartTurnsBothOnAndWinInsertPastesEveryCopiedTextUntilAppendIsOff) {
    auto program = StartReady();
    ASSERT_TRUE(program->Ready());
    EXPECT_EQ(SettingValue(HKEY_LOCAL_MACHINE, "RunAtStartup"), 1);
    EXPECT_EQ(SettingValue(HKEY_LOCAL_MACHINE, "AppendMode"), 1);
    EXPECT_EQ(RunValue(HKEY_LOCAL_MACHINE), L"\"" + m_install.Exe() + L"\"");

    ASSERT_TRUE(CopyAndWaitForCapture("first line\r\nsecond line", 1));
    ASSERT_TRUE(CopyAndWaitForCapture("third\nfourth", 2));
    const std::string both = "first line\r\nsecond line\r\nthird\r\nfourth\r\n";
    EXPECT_EQ(m_install.Read("ClipAppends.txt"), both);

    TypingTarget editor;
    ASSERT_TRUE(editor.TakeFocus()) << "the test's editor could not get the keyboard focus";
    ASSERT_TRUE(PressKeys({VK_LWIN, VK_INSERT}));
    EXPECT_TRUE(PumpUntil([&] { return editor.Text() == both; }, kStepTimeoutMs))
        << "editor holds \"" << editor.Text() << "\"";

    ASSERT_TRUE(PostMessageA(program->MainWindow(), WM_COMMAND, kAppendModeCommand, 0));
    ASSERT_TRUE(PumpUntil([] { return SettingValue(HKEY_LOCAL_MACHINE, "AppendMode") == 0; }, kStepTimeoutMs));
    // Position 3: what Win+Insert put on the clipboard was not captured.
    ASSERT_TRUE(CopyAndWaitForCapture("not appended", 3));
    EXPECT_EQ(m_install.Read("ClipAppends.txt"), both);

    EXPECT_TRUE(program->Exit(kStepTimeoutMs));
}

}  // namespace
