#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Desktop.h"
#include "Installation.h"
#include "support/ProgramSettings.h"
#include "support/Pump.h"

// Every test gets a fresh copy of the installation and an empty clipboard, and starts with no
// Quorvex running anywhere in the session (a leftover would refuse every start).
class E2eTest : public testing::Test {
protected:
    explicit E2eTest(const std::wstring& installationSuffix = L"", const std::string& from = Built().dist)
        : m_install(installationSuffix, from) {}
    void SetUp() override;
    // A failed test shows what the program logged.
    void TearDown() override;

    // Starts the installation's program and waits until it is ready; the test fails otherwise.
    std::unique_ptr<Program> StartReady(const Installation& install, const std::string& arguments = "");
    std::unique_ptr<Program> StartReady() { return StartReady(m_install); }

    // Copies text (CF_TEXT) as another program would, and waits until the program has stored it
    // as the recent clip at the given position (1 = oldest) in its data file and Save.ini.
    testing::AssertionResult CopyAndWaitForCapture(const std::string& text, int position);

    // Opens the about box the way the tray does on a double click of the icon and waits for it.
    HWND OpenAboutBoxFromTray(const Program& program);
    // Presses the about box's Close button and waits until the box is gone.
    testing::AssertionResult CloseAboutBox(HWND aboutBox);

    // Proves that the program has handled every message posted to it so far and still runs:
    // posted messages are handled in order, so an about box opened by a message posted now can
    // only appear if nothing posted earlier (an Exit command, say) ended the program.
    testing::AssertionResult HandledAllPostedAndRuns(const Program& program);

    // A started program writes its settings and its Run value: each test starts without them and
    // leaves none behind.
    CleanProgramSettings m_cleanSettings;
    Installation m_install;
};

// Runs the installation's program once more (a second start, a "-exit" request), or another
// program, and waits until that run has ended by itself with exit code 0.
testing::AssertionResult RunToEnd(const std::wstring& exe, const std::string& arguments);
inline testing::AssertionResult RunToEnd(const Installation& install, const std::string& arguments) {
    return RunToEnd(install.Exe(), arguments);
}
// Waits for a visible dialog of the program with the title; nullptr when none came up in time.
HWND WaitForDialog(const Program& program, const char* title);
// A recent clip's data file and its type key in Save.ini, by position (1 = oldest).
std::string RecentFile(int position);
std::string RecentKey(int position);
// Waits until the editor holds exactly the text; a failure shows what it holds.
testing::AssertionResult EditorShows(const TypingTarget& editor, const std::string& text);
// The bytes a CF_TEXT block of the text holds: the text and its terminating NUL.
std::string TextBlock(const std::string& text);
