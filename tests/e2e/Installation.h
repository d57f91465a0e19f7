#pragma once
#include <windows.h>

#include <string>

#include "support/ProgramFiles.h"

// What the build made, as Windows paths; set once by main from the command line.
struct BuildOutputs {
    std::string dist;      // the installation folder: Quorvex.exe, RECENT\, FAVORITE\, EXPORT\, Manual.doc
    std::string setup;     // the setup program
    std::string portable;  // the portable zip unpacked: its top folder
};
BuildOutputs& Built();

// A Linux path as Wine's drive Z: shows it ("/work/x" -> "Z:\work\x"); Windows paths pass unchanged.
std::string WindowsPath(const std::string& path);

// A fresh, real copy of an installation folder (the build's unless another is named) in a
// temporary folder of its own, removed with everything in it afterwards. The program writes
// Save.ini, Clip.log and its data files here. The suffix ends the folder's name and may hold any
// characters. Copied from nowhere (""), the folder stays empty for a setup program to fill.
class Installation : public ProgramFiles {
public:
    explicit Installation(const std::wstring& suffix = L"", const std::string& from = Built().dist);
    ~Installation();
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;

    bool Ready() const { return m_ready; }
    const std::string& Source() const { return m_source; }
    std::wstring Exe() const { return File("Quorvex.exe"); }

private:
    std::string m_source;
    bool m_ready = false;
};

// One run of the installation's Quorvex.exe (or of another program), started with CreateProcess
// as a shell would. Whatever happens in a test, the process has ended when this object is gone:
// it is asked to exit with the Exit command first and only terminated when it does not end (a
// reported failure).
class Program {
public:
    Program(const std::wstring& exe, const std::string& arguments);
    explicit Program(const Installation& installation, const std::string& arguments = "")
        : Program(installation.Exe(), arguments) {}
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return m_process != nullptr; }
    DWORD Id() const { return m_id; }
    bool Running() const;

    // Waits (pumping this thread's messages) until the process has ended.
    bool WaitForEnd(DWORD timeoutMs) const;
    // The exit code of the ended process; STILL_ACTIVE while it runs.
    DWORD ExitCode() const;

    // Waits until the hidden main window exists and start-up has reached the message loop.
    // Returns the window, or nullptr when it did not come up in time.
    HWND WaitUntilReady(DWORD timeoutMs);
    HWND MainWindow() const { return m_mainWindow; }
    bool Ready() const { return m_mainWindow != nullptr; }

    // Asks the program to end with the Exit command of its main window and waits for the end.
    bool Exit(DWORD timeoutMs);
    // Ends the program at once, as a crash or a power cut would, and waits for the end.
    void Kill();

private:
    HANDLE m_process = nullptr;
    DWORD m_id = 0;
    HWND m_mainWindow = nullptr;
};

// How long the e2e tests give each step: generous, because a cold Wine is slow, but each wait
// ends as soon as its condition holds.
constexpr DWORD kStartTimeoutMs = 20000;
constexpr DWORD kStepTimeoutMs = 10000;
