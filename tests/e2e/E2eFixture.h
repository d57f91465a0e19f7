#pragma once
// The end-to-end tests' view of the desktop, of an installation and its program, and their fixture.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>

#include "support/ClipboardFixture.h"
#include "support/KeyboardRecorder.h"
#include "support/ProgramFiles.h"
#include "support/ProgramSettings.h"
#include "support/Pump.h"

// What the build made, as Windows paths, set once by main from the command line: the installation
// folder (Quorvex.exe, RECENT\, FAVORITE\, EXPORT\, Manual.doc), the setup program, and the top folder
// of the portable zip unpacked.
struct BuildOutputs {
    std::string dist, setup, portable;
};
inline BuildOutputs& Built() {
    static BuildOutputs built;
    return built;
}

constexpr char kMainTitle[] = "Clipboard Quorvex";
constexpr char kAboutTitle[] = "About Clipboard Quorvex v.1.00";
constexpr char kDialogClass[] = "#32770";
constexpr UINT kTrayCallback = WM_USER + 100;
constexpr WPARAM kTrayIconId = 131;
constexpr UINT kRecentFirstCommand = 32812;  // Recents item 1
constexpr UINT kExitCommand = 32776;
// How long the tests give each step: generous, because a cold Wine is slow, but each wait ends as
// soon as its condition holds.
constexpr DWORD kStartTimeoutMs = 20000;
constexpr DWORD kStepTimeoutMs = 10000;

// --- The desktop: windows, buttons, keys, as a person or another program sees them --------------

// A top-level dialog (the main window is one too) of the process whose title begins with the text (a
// wizard adds its page's to it); a visible one with the button enabled if asked.
inline HWND FindDialog(DWORD processId, const char* title, bool visibleOnly = false, int enabledButton = 0) {
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, kDialogClass, nullptr)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != processId) continue;
        char text[256] = "";
        GetWindowTextA(window, text, sizeof text);
        if (std::strncmp(text, title, std::strlen(title)) == 0 && (!visibleOnly || IsWindowVisible(window)) &&
            (!enabledButton || IsWindowEnabled(GetDlgItem(window, enabledButton))))
            return window;
    }
    return nullptr;
}

// Clicks a dialog's button the way a mouse click would (BM_CLICK).
inline void ClickButton(HWND dialog, int buttonId) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, buttonId), BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &result);
}

// Presses a dialog's button and waits until the dialog is gone.
inline testing::AssertionResult CloseWith(HWND dialog, int buttonId) {
    ClickButton(dialog, buttonId);
    if (PumpUntil([&] { return !IsWindow(dialog); }, kStepTimeoutMs)) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "the dialog stayed open after its button " << buttonId;
}

// Presses the keys in order and releases them in reverse order, through SendInput.
inline void PressKeys(std::initializer_list<WORD> virtualKeys) {
    for (WORD key : virtualKeys) SendKey(key, false);
    for (auto it = virtualKeys.end(); it != virtualKeys.begin();) SendKey(*--it, true);
}

// A visible top-level edit window: where the user types and pastes. Multi-line and scrolling, so a
// pasted text keeps its line ends whatever its length; wide, so it holds text in any language as a
// modern editor does.
struct TypingTarget {
    ~TypingTarget() { DestroyWindow(edit); }

    // Brings the window to the foreground with the keyboard focus; true once it has both.
    bool TakeFocus() const {
        return PumpUntil(
            [this] {
                if (GetForegroundWindow() != edit) SetForegroundWindow(edit);
                if (GetFocus() != edit) SetFocus(edit);
                return GetForegroundWindow() == edit && GetFocus() == edit;
            },
            5000);
    }
    // The text as it is, in any language.
    std::wstring Text() const {
        wchar_t text[512] = L"";
        GetWindowTextW(edit, text, 512);
        return text;
    }

    const HWND edit = CreateWindowExW(0, L"EDIT", L"",
                                      WS_OVERLAPPEDWINDOW | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL,
                                      100, 100, 400, 120, nullptr, nullptr, nullptr, nullptr);
};

// A hidden top-level window of the test process that counts the commands and hotkeys it receives
// (in its user data).
struct CountingWindow {
    explicit CountingWindow(const char* title)
        : handle(CreateWindowA("STATIC", title, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, nullptr,
                               nullptr)) {
        auto proc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (message != WM_COMMAND && message != WM_HOTKEY) return DefWindowProcA(window, message, wParam, lParam);
            SetWindowLongPtrA(window, GWLP_USERDATA, GetWindowLongPtrA(window, GWLP_USERDATA) + 1);
            return 0;
        };
        SetWindowLongPtrA(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+proc));
    }
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
    explicit Installation(const std::wstring& suffix = L"", const std::string& from = Built().dist) {
        m_path = FreshTemporaryFolder(L"quorvex-e2e", suffix);
        m_ready = from.empty() ? GetFileAttributesW(m_path.c_str()) != INVALID_FILE_ATTRIBUTES
                               : CopyTree(ToWide(from), m_path) && Exists("Quorvex.exe");
    }
    ~Installation() {
        // A program that was just terminated may still hold its executable open for a moment.
        PumpUntil([this] { return RemoveTree(m_path); }, 3000);
    }
    bool Ready() const { return m_ready; }
    std::wstring Exe() const { return File("Quorvex.exe"); }

private:
    static bool CopyTree(const std::wstring& from, const std::wstring& to) {
        if (!CreateDirectoryW(to.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
        bool ok = true;
        const bool read = ForEachEntry(from, [&](const std::wstring& name, bool isFolder) {
            const std::wstring source = from + L"\\" + name, target = to + L"\\" + name;
            ok = (isFolder ? CopyTree(source, target) : CopyFileW(source.c_str(), target.c_str(), FALSE) != FALSE) &&
                 ok;
        });
        return read && ok;
    }

    bool m_ready = false;
};

// One run of a program, started with CreateProcess as a shell would. Whatever happens in a test,
// the process has ended when this object is gone: it is asked to exit with the Exit command first
// and only terminated when it does not end (a reported failure).
class Program {
public:
    Program(const std::wstring& exe, const std::string& arguments) { Start(exe, arguments); }
    // The installation's Quorvex.exe, waited for until it is ready; a failure when it is not. Started
    // here, or found by its main window and executable when something else (a setup program) started it.
    enum class StartedBy { Test, Elsewhere };
    explicit Program(const Installation& installation, StartedBy startedBy = StartedBy::Test) {
        if (startedBy == StartedBy::Test) Start(installation.Exe(), "");
        PumpUntil(
            [&] {
                if (startedBy == StartedBy::Elsewhere) return Adopt(installation.Exe());
                return (m_mainWindow = FindDialog(m_id, kMainTitle)) != nullptr || !Running();
            },
            kStartTimeoutMs);
        // The window exists from the middle of start-up on; the program is ready for the clipboard
        // and the hotkeys once its message loop waits for input.
        if (m_mainWindow && (WaitForInputIdle(m_process, kStartTimeoutMs) != 0 || !Running())) m_mainWindow = nullptr;
        if (!m_mainWindow) ADD_FAILURE() << "no main window titled \"" << kMainTitle << "\" came up";
    }
    ~Program() {
        if (!m_process) return;
        if (Running() && !Exit()) {
            ADD_FAILURE() << "Quorvex.exe (process " << m_id << ") did not end on the Exit command; terminated";
            TerminateProcess(m_process, 1);
            WaitForSingleObject(m_process, 5000);
        }
        CloseHandle(m_process);
    }

    DWORD Id() const { return m_id; }
    bool Running() const { return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT; }
    // Waits (pumping this thread's messages) until the process has ended.
    bool WaitForEnd() const {
        return m_process &&
               PumpUntil([this] { return WaitForSingleObject(m_process, 0) == WAIT_OBJECT_0; }, kStepTimeoutMs);
    }
    DWORD ExitCode() const {  // STILL_ACTIVE while it runs
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(m_process, &code);
        return code;
    }

    // The hidden main window, once start-up has reached the message loop; nullptr before.
    HWND MainWindow() const { return m_mainWindow; }
    bool Ready() const { return m_mainWindow != nullptr; }

    // Asks the program to end with the Exit command of its main window and waits for the end.
    bool Exit() {
        HWND window = m_mainWindow ? m_mainWindow : FindDialog(m_id, kMainTitle);
        return window && PostMessageA(window, WM_COMMAND, kExitCommand, 0) && WaitForEnd();
    }
    // Ends the program at once, as a crash or a power cut would, and waits for the end.
    void Kill() {
        TerminateProcess(m_process, 1);
        WaitForSingleObject(m_process, kStepTimeoutMs);
    }

private:
    void Start(const std::wstring& exe, const std::string& arguments) {
        std::wstring commandLine = L"\"" + exe + L"\"";
        if (!arguments.empty()) commandLine += L" " + ToWide(arguments);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        // Under load Wine now and then refuses to start a program it started a moment ago; a person
        // would simply start it again.
        for (int attempt = 1; !CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                              nullptr, &startup, &info);
             ++attempt) {
            if (attempt == 3) {
                ADD_FAILURE() << "CreateProcess failed for " << ToAnsi(exe) << " with error " << GetLastError();
                return;
            }
            PumpFor(500);
        }
        CloseHandle(info.hThread);
        m_process = info.hProcess;
        m_id = info.dwProcessId;
    }
    // Takes on the process of a main window that runs the executable; false when none does.
    bool Adopt(const std::wstring& exe) {
        for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, kDialogClass, kMainTitle)) != nullptr;) {
            GetWindowThreadProcessId(window, &m_id);
            m_process = OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE | PROCESS_TERMINATE, FALSE, m_id);
            wchar_t image[MAX_PATH] = L"";
            DWORD length = MAX_PATH;
            if (m_process && QueryFullProcessImageNameW(m_process, 0, image, &length) &&
                lstrcmpiW(image, exe.c_str()) == 0)
                return (m_mainWindow = window) != nullptr;
            if (m_process) CloseHandle(m_process);
            m_process = nullptr;
        }
        return false;
    }

    HANDLE m_process = nullptr;
    DWORD m_id = 0;
    HWND m_mainWindow = nullptr;
};

// A recent clip's data file and its type key in Save.ini, by position (1 = oldest).
inline std::string RecentFile(int position) { return "RECENT\\RECCLIP" + std::to_string(position) + ".DAT"; }
inline std::string RecentKey(int position) { return "RECCLIP" + std::to_string(position); }
// The bytes a CF_TEXT block of the text holds: the text and its terminating NUL.
inline std::string TextBlock(const std::string& text) { return text + std::string(1, '\0'); }

// Waits for a visible dialog of the program whose title begins with the text and, if one is named,
// whose button is enabled, as a person finds a wizard page or a question; nullptr when none came up in time.
inline HWND WaitForDialog(const Program& program, const char* title, int enabledButton = 0) {
    HWND found = nullptr;
    PumpUntil([&] { return (found = FindDialog(program.Id(), title, true, enabledButton)) != nullptr; },
              kStepTimeoutMs);
    return found;
}

// Presses a dialog's button and waits for the dialog it opens. Posted: a click that asks a question
// returns only once the question is answered.
inline HWND PressAndWaitFor(const Program& program, HWND dialog, int button, const char* title,
                            int enabledButton = 0) {
    PostMessageA(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
    return WaitForDialog(program, title, enabledButton);
}

// Proves that the program has handled every message posted to it so far and still runs: posted
// messages are handled in order, so an about box opened by a double click on the tray icon posted
// now can only appear if nothing posted earlier (an Exit command, say) ended the program.
inline testing::AssertionResult HandledAllPostedAndRuns(const Program& program) {
    HWND box = PostMessageA(program.MainWindow(), kTrayCallback, kTrayIconId, WM_LBUTTONDBLCLK)
                   ? WaitForDialog(program, kAboutTitle)
                   : nullptr;
    if (!box) return testing::AssertionFailure() << "the program no longer reacts to its tray icon";
    testing::AssertionResult closed = CloseWith(box, IDOK);
    if (closed && !program.Running()) return testing::AssertionFailure() << "the program ended";
    return closed;
}

// Runs a program (the installation's once more, a setup program) and waits until it has ended by
// itself with the exit code, 0 unless another is named.
inline testing::AssertionResult RunToEnd(const std::wstring& exe, const std::string& arguments, DWORD exitCode = 0) {
    Program run(exe, arguments);
    if (!run.WaitForEnd())
        return testing::AssertionFailure() << "the run with \"" << arguments << "\" did not end by itself";
    if (run.ExitCode() != exitCode)
        return testing::AssertionFailure() << "the run with \"" << arguments << "\" ended with " << run.ExitCode();
    return testing::AssertionSuccess();
}

// Waits until the editor holds exactly the text; a failure shows what it holds.
inline testing::AssertionResult EditorShows(const TypingTarget& editor, const std::wstring& text) {
    if (PumpUntil([&] { return editor.Text() == text; }, kStepTimeoutMs)) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "editor holds \"" << ToAnsi(editor.Text()) << "\"";
}

// Presses the keys in a fresh editor that has the keyboard focus; then it must hold exactly the text.
inline testing::AssertionResult KeysPasteIntoAnEditor(std::initializer_list<WORD> keys, const std::wstring& text) {
    TypingTarget editor;
    if (!editor.TakeFocus()) return testing::AssertionFailure() << "the editor could not get the keyboard focus";
    PressKeys(keys);
    return EditorShows(editor, text);
}

// --- The fixture -----------------------------------------------------------------------------------

// Every test gets a fresh copy of the installation and an empty clipboard. No Quorvex runs: main ends
// one that a run stopped at its time limit left (it would refuse every start).
class E2eTest : public testing::Test {
protected:
    explicit E2eTest(const std::wstring& installationSuffix = L"", const std::string& from = Built().dist)
        : m_install(installationSuffix, from) {}
    void SetUp() override {
        ASSERT_TRUE(m_install.Ready()) << "could not copy the installation folder";
        ASSERT_TRUE(ClearClipboard());
    }
    // A failed test shows what the program logged.
    void TearDown() override {
        if (!HasFailure()) return;
        for (const std::string& line : m_install.LogLines()) std::printf("Clip.log: %s\n", line.c_str());
    }

    // Copies text (CF_TEXT) as another program would, and waits until the program has stored it
    // as the recent clip at the given position (1 = oldest) in its data file and Save.ini.
    testing::AssertionResult CopyAndWaitForCapture(const std::string& text, int position) {
        if (!PutTextOnClipboard(text)) return testing::AssertionFailure() << "could not write the clipboard";
        const std::string file = RecentFile(position), key = RecentKey(position);
        auto stored = [&] {
            return m_install.Read(file) == TextBlock(text) && m_install.Ini("RECENTS", key.c_str()) == "0x1";
        };
        if (PumpUntil(stored, kStepTimeoutMs)) return testing::AssertionSuccess();
        return testing::AssertionFailure() << "\"" << text << "\" was not stored: " << file << " holds \""
                                           << m_install.Read(file) << "\", " << key << "="
                                           << m_install.Ini("RECENTS", key.c_str());
    }

    // A started program writes its settings and its Run value: each test starts without them and
    // leaves none behind.
    CleanProgramSettings m_cleanSettings;
    Installation m_install;
};
