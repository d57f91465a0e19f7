// A fixed hotkey already held by another program: start-up shows an error, and the program ends
// once the user has pressed OK, after its main window was created and destroyed.
#include "E2eFixture.h"

namespace {

using StartupFailureE2e = E2eTest;

TEST_F(StartupFailureE2e, HotkeyHeldByAnotherProgramEndsStartUpWithAnError) {
    // A recent clip from an earlier run, stored at position 2 with position 1 gone: loading
    // closes the gap and the save at the window's end renumbers it to position 1.
    m_install.Write(RecentFile(2), TextBlock("clip of an earlier run"));
    m_install.SetIni("RECENTS", "RECCLIP2", "0x1");
    m_install.SetIni("RECENTS", "CAPTION2", "");

    HeldHotkey held(MOD_CONTROL, '5');
    ASSERT_TRUE(held.Held()) << "the test could not take Ctrl+5 itself";

    Program program(m_install);
    ASSERT_TRUE(program.Started());
    HWND box = nullptr;
    ASSERT_TRUE(PumpUntil(
        [&] {
            box = FindTopLevel(program.Id(), "Quorvex", kDialogClass);
            return box && FindChildWithText(box, "Error initialize HOT Keys!") != nullptr;
        },
        kStartTimeoutMs))
        << "no message box \"Error initialize HOT Keys!\" captioned \"Quorvex\"";

    // While the message is shown: the main window exists, the hotkeys before the held one are
    // registered, none after it.
    EXPECT_NE(FindTopLevel(program.Id(), kMainTitle), nullptr);
    EXPECT_TRUE(HotkeyTaken(MOD_CONTROL | MOD_WIN, '0'));
    EXPECT_TRUE(HotkeyTaken(MOD_WIN, '1'));
    EXPECT_TRUE(HotkeyTaken(MOD_CONTROL, '4'));
    EXPECT_FALSE(HotkeyTaken(MOD_CONTROL, '6'));
    EXPECT_FALSE(HotkeyTaken(MOD_WIN, VK_DELETE));

    ASSERT_TRUE(ClickButton(box, IDOK)) << "the message box has no OK button";
    EXPECT_TRUE(program.WaitForEnd(kStepTimeoutMs)) << "the program did not end after OK";

    EXPECT_EQ(m_install.LogCount("Can't register Ctl-5 !"), 1);
    EXPECT_EQ(m_install.LogCount("APP ExitInstance"), 1);
    EXPECT_EQ(m_install.Read(RecentFile(1)), TextBlock("clip of an earlier run"));
    EXPECT_EQ(m_install.Ini("RECENTS", "RECCLIP1"), "0x1");
    // The hotkeys it did register went with its window.
    EXPECT_FALSE(HotkeyTaken(MOD_CONTROL, '4'));
}

}  // namespace
