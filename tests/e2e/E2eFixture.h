#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "support/ClipboardFixture.h"
#include "support/KeyboardRecorder.h"
#include "support/ProgramFiles.h"
#include "support/ProgramSettings.h"
#include "support/Pump.h"

// What the build made, as Windows paths; set once by main from the command line.
struct BuildOutputs {
    std::string dist;      // the installation folder: Quorvex.exe, RECENT\, FAVORITE\, EXPORT\, Manual.doc
    std::string setup;     // the setup program
    std::string portable;  // the portable zip unpacked: its top folder
};
BuildOutputs& Built();

constexpr char kMainTitle[] = "Clipboard Quorvex";
constexpr char kAboutTitle[] = "About Clipboard Quorvex v.1.00";
constexpr char kDialogClass[] = "#32770";
constexpr UINT kTrayCallback = WM_USER + 100;
constexpr WPARAM kTrayIconId = 131;
constexpr UINT kRecentFirstCommand = 32812;  // Recents item 1
// How long the tests give each step: generous, because a cold Wine is slow, but each wait ends as
// soon as its condition holds.
constexpr DWORD kStartTimeoutMs = 20000;
constexpr DWORD kStepTimeoutMs = 10000;

// --- The desktop: windows, buttons, keys, as a person or another program sees them --------------

// A top-level window of the process with the title (and the class, when one is named).
HWND FindTopLevel(DWORD processId, const char* title, const char* className = nullptr);
// Clicks a dialog's button the way a mouse click would (BM_CLICK).
void ClickButton(HWND dialog, int buttonId);
// Presses the keys in order and releases them in reverse order, through SendInput.
void PressKeys(std::initializer_list<WORD> virtualKeys);

// A visible top-level edit window: where the user types and pastes.
class TypingTarget {
public:
    TypingTarget();
    ~TypingTarget() { DestroyWindow(edit); }

    // Brings the window to the foreground with the keyboard focus; true once it has both.
    bool TakeFocus();
    std::wstring Text() const;  // the text as it is, in any language

    const HWND edit;
};

// A hidden top-level window of the test process that counts the commands and hotkeys it receives.
class CountingWindow {
public:
    explicit CountingWindow(const char* title);
    ~CountingWindow() { DestroyWindow(handle); }

    int Received() const { return static_cast<int>(GetWindowLongPtrA(handle, GWLP_USERDATA)); }

    const HWND handle;
};

// --- The installation and its program ------------------------------------------------------------

// A fresh, real copy of an installation folder (the build's unless another is named) in a
// temporary folder of its own, removed with everything in it afterwards. The program writes
// Save.ini, Clip.log and its data files here. The suffix ends the folder's name and may hold any
// characters. Copied from nowhere (""), the folder stays empty for a setup program to fill.
class Installation : public ProgramFiles {
public:
    explicit Installation(const std::wstring& suffix = L"", const std::string& from = Built().dist);
    ~Installation();

    bool Ready() const { return m_ready; }
    std::wstring Exe() const { return File("Quorvex.exe"); }

private:
    bool m_ready = false;
};

// One run of a program, started with CreateProcess as a shell would. Whatever happens in a test,
// the process has ended when this object is gone: it is asked to exit with the Exit command first
// and only terminated when it does not end (a reported failure).
class Program {
public:
    Program(const std::wstring& exe, const std::string& arguments);
    // The installation's Quorvex.exe, waited for until it is ready; a failure when it is not.
    explicit Program(const Installation& installation);
    ~Program();

    DWORD Id() const { return m_id; }
    bool Running() const;
    // Waits (pumping this thread's messages) until the process has ended.
    bool WaitForEnd() const;
    DWORD ExitCode() const;  // STILL_ACTIVE while it runs

    // The hidden main window, once start-up has reached the message loop; nullptr before.
    HWND MainWindow() const { return m_mainWindow; }
    bool Ready() const { return m_mainWindow != nullptr; }

    // Asks the program to end with the Exit command of its main window and waits for the end.
    bool Exit();
    // Ends the program at once, as a crash or a power cut would, and waits for the end.
    void Kill();

private:
    HANDLE m_process = nullptr;
    DWORD m_id = 0;
    HWND m_mainWindow = nullptr;
};

// --- The fixture -----------------------------------------------------------------------------------

// Every test gets a fresh copy of the installation and an empty clipboard, and starts with no
// Quorvex running anywhere in the session (a leftover would refuse every start).
class E2eTest : public testing::Test {
protected:
    explicit E2eTest(const std::wstring& installationSuffix = L"", const std::string& from = Built().dist)
        : m_install(installationSuffix, from) {}
    void SetUp() override;
    // A failed test shows what the program logged.
    void TearDown() override;

    // Copies text (CF_TEXT) as another program would, and waits until the program has stored it
    // as the recent clip at the given position (1 = oldest) in its data file and Save.ini.
    testing::AssertionResult CopyAndWaitForCapture(const std::string& text, int position);

    // A started program writes its settings and its Run value: each test starts without them and
    // leaves none behind.
    CleanProgramSettings m_cleanSettings;
    Installation m_install;
};

// Proves that the program has handled every message posted to it so far and still runs: posted
// messages are handled in order, so an about box opened by a double click on the tray icon posted
// now can only appear if nothing posted earlier (an Exit command, say) ended the program.
testing::AssertionResult HandledAllPostedAndRuns(const Program& program);
// Presses the about box's Close button and waits until the box is gone.
testing::AssertionResult CloseAboutBox(HWND aboutBox);
// Runs a program (the installation's once more, a setup program) and waits until it has ended by
// itself with exit code 0.
testing::AssertionResult RunToEnd(const std::wstring& exe, const std::string& arguments);
// Waits for a visible dialog of the program with the title; nullptr when none came up in time.
HWND WaitForDialog(const Program& program, const char* title);
// Waits until the editor holds exactly the text; a failure shows what it holds.
testing::AssertionResult EditorShows(const TypingTarget& editor, const std::string& text);

// A recent clip's data file and its type key in Save.ini, by position (1 = oldest).
inline std::string RecentFile(int position) { return "RECENT\\RECCLIP" + std::to_string(position) + ".DAT"; }
inline std::string RecentKey(int position) { return "RECCLIP" + std::to_string(position); }
// The bytes a CF_TEXT block of the text holds: the text and its terminating NUL.
inline std::string TextBlock(const std::string& text) { return text + std::string(1, '\0'); }
