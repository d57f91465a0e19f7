// Windows 10 and 11: the shell holds Win+digit and Ctrl+Win+digit. The program still starts and
// takes those keys itself, before the shell sees them.
#include <memory>
#include <vector>

#include "E2eFixture.h"

namespace {

using ShellHeldHotkeysE2e = E2eTest;

TEST_F(ShellHeldHotkeysE2e, FavoriteKeysHeldByTheShellAreServedByTheProgram) {
    std::vector<std::unique_ptr<HeldHotkey>> shell;
    std::string served;
    for (UINT modifiers : {UINT{MOD_CONTROL | MOD_WIN}, UINT{MOD_WIN}}) {
        for (char digit : std::string("1234567890")) {
            shell.push_back(std::make_unique<HeldHotkey>(modifiers, digit));
            ASSERT_TRUE(shell.back()->Held());
            served += std::string(served.empty() ? "" : " ") + (modifiers & MOD_CONTROL ? "Ctl-Win-" : "Win-") + digit;
        }
    }
    auto program = StartReady();
    ASSERT_TRUE(program->Ready()) << "start-up failed with the favourite keys held elsewhere";
    EXPECT_TRUE(PumpUntil([&] { return m_install.LogCount("Hotkeys served by the keyboard hook: " + served) == 1; },
                          kStepTimeoutMs));

    // Ctrl+Win+2 stores the selection as favourite 2, Win+2 pastes it elsewhere.
    TypingTarget source;
    SetWindowTextA(source.Edit(), "kept past the shell");
    SendMessageA(source.Edit(), EM_SETSEL, 0, -1);
    ASSERT_TRUE(source.TakeFocus());
    ASSERT_TRUE(PressKeys({VK_CONTROL, VK_LWIN, '2'}));
    EXPECT_TRUE(PumpUntil([&] { return m_install.Ini("A", "CLIP2") == "0x1"; }, kStepTimeoutMs));
    EXPECT_EQ(m_install.Read("FAVORITE\\ACLIPB2.DAT"), TextBlock("kept past the shell"));

    TypingTarget editor;
    ASSERT_TRUE(editor.TakeFocus()) << "the test's editor could not get the keyboard focus";
    ASSERT_TRUE(PressKeys({VK_LWIN, '2'}));
    EXPECT_TRUE(EditorShows(editor, "kept past the shell"));
    // An empty slot pastes nothing, and its digit never reaches the editor either.
    ASSERT_TRUE(PressKeys({VK_LWIN, '7'}));
    ASSERT_TRUE(PressKeys({'Z'}));
    EXPECT_TRUE(EditorShows(editor, "kept past the shellz"));
    for (const auto& held : shell) EXPECT_EQ(held->Fired(), 0) << "the shell's hotkey fired";
    // Other keys pass untouched while the hook runs.
    ASSERT_TRUE(PressKeys({VK_SHIFT, VK_LWIN, '2'}));
    EXPECT_TRUE(PumpUntil([&] { return editor.Text().size() > 20; }, kStepTimeoutMs)) << editor.Text();

    EXPECT_TRUE(program->Exit(kStepTimeoutMs));
}

}  // namespace
