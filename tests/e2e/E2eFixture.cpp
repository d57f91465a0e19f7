#include "E2eFixture.h"

#include <cstdio>

void E2eTest::SetUp() {
    ASSERT_TRUE(m_install.Ready()) << "could not copy the installation folder " << m_install.Source();
    HANDLE leftover = OpenSemaphoreA(SYNCHRONIZE, FALSE, "Quorvex");
    if (leftover) CloseHandle(leftover);
    ASSERT_EQ(leftover, nullptr) << "a Quorvex instance is already running in this session";
    ASSERT_TRUE(ClearClipboard());
}

void E2eTest::TearDown() {
    if (!HasFailure()) return;
    for (const std::string& line : m_install.LogLines()) std::printf("Clip.log: %s\n", line.c_str());
}

std::unique_ptr<Program> E2eTest::StartReady(const Installation& install, const std::string& arguments) {
    auto program = std::make_unique<Program>(install, arguments);
    EXPECT_TRUE(program->Started()) << "CreateProcess failed for " << install.Exe();
    EXPECT_NE(program->WaitUntilReady(kStartTimeoutMs), nullptr)
        << "no main window titled \"" << kMainTitle << "\" came up";
    return program;
}

testing::AssertionResult E2eTest::CopyAndWaitForCapture(const std::string& text, int position) {
    if (!PutTextOnClipboard(text)) return testing::AssertionFailure() << "could not write the clipboard";
    const std::string expected = TextBlock(text);
    bool stored = PumpUntil(
        [&] {
            return m_install.Read(RecentFile(position)) == expected &&
                   m_install.Ini("RECENTS", RecentKey(position).c_str()) == "0x1";
        },
        kStepTimeoutMs);
    if (stored) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "\"" << text << "\" was not stored at position " << position << ": "
                                       << RecentFile(position) << " holds \"" << m_install.Read(RecentFile(position))
                                       << "\", " << RecentKey(position) << "="
                                       << m_install.Ini("RECENTS", RecentKey(position).c_str());
}

HWND E2eTest::OpenAboutBoxFromTray(const Program& program) {
    if (!PostMessageA(program.MainWindow(), kTrayCallback, kTrayIconId, WM_LBUTTONDBLCLK)) return nullptr;
    return WaitForDialog(program, kAboutTitle);
}

testing::AssertionResult E2eTest::CloseAboutBox(HWND aboutBox) {
    HWND close = GetDlgItem(aboutBox, IDOK);
    if (!close || WindowText(close) != "&Close")
        return testing::AssertionFailure() << "the about box has no \"&Close\" button";
    ClickButton(aboutBox, IDOK);
    if (!PumpUntil([&] { return !IsWindow(aboutBox); }, kStepTimeoutMs))
        return testing::AssertionFailure() << "the about box stayed open after Close";
    return testing::AssertionSuccess();
}

testing::AssertionResult E2eTest::HandledAllPostedAndRuns(const Program& program) {
    HWND box = OpenAboutBoxFromTray(program);
    if (!box) return testing::AssertionFailure() << "the program no longer reacts to its tray icon";
    testing::AssertionResult closed = CloseAboutBox(box);
    if (!closed) return closed;
    if (!program.Running()) return testing::AssertionFailure() << "the program ended";
    return testing::AssertionSuccess();
}

testing::AssertionResult RunToEnd(const std::wstring& exe, const std::string& arguments) {
    Program run(exe, arguments);
    if (!run.Started()) return testing::AssertionFailure() << "CreateProcess failed for " << ToAnsi(exe);
    if (!run.WaitForEnd(kStepTimeoutMs))
        return testing::AssertionFailure() << "the run with \"" << arguments << "\" did not end by itself";
    if (run.ExitCode() != 0)
        return testing::AssertionFailure() << "the run with \"" << arguments << "\" ended with " << run.ExitCode();
    return testing::AssertionSuccess();
}

HWND WaitForDialog(const Program& program, const char* title) {
    HWND found = nullptr;
    PumpUntil(
        [&] {
            found = FindTopLevel(program.Id(), title, kDialogClass);
            return found && IsWindowVisible(found);
        },
        kStepTimeoutMs);
    return found && IsWindowVisible(found) ? found : nullptr;
}

std::string RecentFile(int position) { return "RECENT\\RECCLIP" + std::to_string(position) + ".DAT"; }
std::string RecentKey(int position) { return "RECCLIP" + std::to_string(position); }
testing::AssertionResult EditorShows(const TypingTarget& editor, const std::string& text) {
    if (PumpUntil([&] { return editor.Text() == text; }, kStepTimeoutMs)) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "editor holds \"" << editor.Text() << "\"";
}
std::string TextBlock(const std::string& text) { return text + std::string(1, '\0'); }
