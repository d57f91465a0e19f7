#include "E2eFixture.h"

#include <cstdio>

namespace {

bool CopyTree(const std::wstring& from, const std::wstring& to) {
    if (!CreateDirectoryW(to.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    bool ok = true;
    const bool read = ForEachEntry(from, [&](const std::wstring& name, bool isFolder) {
        const std::wstring source = from + L"\\" + name, target = to + L"\\" + name;
        ok = (isFolder ? CopyTree(source, target) : CopyFileW(source.c_str(), target.c_str(), FALSE) != FALSE) && ok;
    });
    return read && ok;
}

}  // namespace

BuildOutputs& Built() {
    static BuildOutputs built;
    return built;
}

// --- The desktop -----------------------------------------------------------------------------------

HWND FindTopLevel(DWORD processId, const char* title, const char* className) {
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, className, title)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId) return window;
    }
    return nullptr;
}

void ClickButton(HWND dialog, int buttonId) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, buttonId), BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &result);
}

void PressKeys(std::initializer_list<WORD> virtualKeys) {
    for (WORD key : virtualKeys) SendKey(key, false);
    for (auto it = virtualKeys.end(); it != virtualKeys.begin();) SendKey(*--it, true);
}

// Multi-line and scrolling, so a pasted text keeps its line ends whatever its length; wide, so it
// holds text in any language as a modern editor does.
TypingTarget::TypingTarget()
    : edit(CreateWindowExW(0, L"EDIT", L"",
                           WS_OVERLAPPEDWINDOW | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL, 100, 100,
                           400, 120, nullptr, nullptr, nullptr, nullptr)) {}

bool TypingTarget::TakeFocus() {
    return PumpUntil(
        [this] {
            if (GetForegroundWindow() != edit) SetForegroundWindow(edit);
            if (GetFocus() != edit) SetFocus(edit);
            return GetForegroundWindow() == edit && GetFocus() == edit;
        },
        5000);
}

std::wstring TypingTarget::Text() const {
    wchar_t text[512] = L"";
    GetWindowTextW(edit, text, 512);
    return text;
}

CountingWindow::CountingWindow(const char* title)
    : handle(CreateWindowA("STATIC", title, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr)) {
    // Counts WM_COMMAND and WM_HOTKEY in the window's user data.
    auto proc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (message != WM_COMMAND && message != WM_HOTKEY) return DefWindowProcA(window, message, wParam, lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, GetWindowLongPtrA(window, GWLP_USERDATA) + 1);
        return 0;
    };
    SetWindowLongPtrA(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+proc));
}

// --- The installation and its program --------------------------------------------------------------

Installation::Installation(const std::wstring& suffix, const std::string& from) {
    m_path = FreshTemporaryFolder(L"quorvex-e2e", suffix);
    m_ready = from.empty() ? GetFileAttributesW(m_path.c_str()) != INVALID_FILE_ATTRIBUTES
                           : CopyTree(ToWide(from), m_path) && Exists("Quorvex.exe");
}

Installation::~Installation() {
    // A program that was just terminated may still hold its executable open for a moment.
    PumpUntil(
        [this] {
            RemoveTree(m_path);
            return GetFileAttributesW(m_path.c_str()) == INVALID_FILE_ATTRIBUTES;
        },
        3000);
}

Program::Program(const std::wstring& exe, const std::string& arguments) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty()) commandLine += L" " + ToWide(arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // Under load Wine now and then refuses to start a program it started a moment ago; a person
    // would simply start it again.
    for (int attempt = 1; !CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                          nullptr, nullptr, &startup, &info);
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

Program::Program(const Installation& installation) : Program(installation.Exe(), "") {
    PumpUntil([this] { return (m_mainWindow = FindTopLevel(m_id, kMainTitle)) != nullptr || !Running(); },
              kStartTimeoutMs);
    // The window exists from the middle of start-up on; the program is ready for the clipboard
    // and the hotkeys once its message loop waits for input.
    if (m_mainWindow && (WaitForInputIdle(m_process, kStartTimeoutMs) != 0 || !Running())) m_mainWindow = nullptr;
    if (!m_mainWindow) ADD_FAILURE() << "no main window titled \"" << kMainTitle << "\" came up";
}

Program::~Program() {
    if (!m_process) return;
    if (Running() && !Exit()) {
        ADD_FAILURE() << "Quorvex.exe (process " << m_id << ") did not end on the Exit command; terminated";
        TerminateProcess(m_process, 1);
        WaitForSingleObject(m_process, 5000);
    }
    CloseHandle(m_process);
}

bool Program::Running() const { return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT; }

bool Program::WaitForEnd() const {
    return m_process &&
           PumpUntil([this] { return WaitForSingleObject(m_process, 0) == WAIT_OBJECT_0; }, kStepTimeoutMs);
}

DWORD Program::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_process, &code);
    return code;
}

bool Program::Exit() {
    const UINT exitCommand = 32776;
    HWND window = m_mainWindow ? m_mainWindow : FindTopLevel(m_id, kMainTitle);
    return window && PostMessageA(window, WM_COMMAND, exitCommand, 0) && WaitForEnd();
}

void Program::Kill() {
    TerminateProcess(m_process, 1);
    WaitForSingleObject(m_process, kStepTimeoutMs);
}

// --- The fixture -----------------------------------------------------------------------------------

void E2eTest::SetUp() {
    ASSERT_TRUE(m_install.Ready()) << "could not copy the installation folder";
    HANDLE leftover = OpenSemaphoreA(SYNCHRONIZE, FALSE, "Quorvex");
    if (leftover) CloseHandle(leftover);
    ASSERT_EQ(leftover, nullptr) << "a Quorvex instance is already running in this session";
    ASSERT_TRUE(ClearClipboard());
}

void E2eTest::TearDown() {
    if (!HasFailure()) return;
    for (const std::string& line : m_install.LogLines()) std::printf("Clip.log: %s\n", line.c_str());
}

testing::AssertionResult E2eTest::CopyAndWaitForCapture(const std::string& text, int position) {
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

testing::AssertionResult HandledAllPostedAndRuns(const Program& program) {
    HWND box = PostMessageA(program.MainWindow(), kTrayCallback, kTrayIconId, WM_LBUTTONDBLCLK)
                   ? WaitForDialog(program, kAboutTitle)
                   : nullptr;
    if (!box) return testing::AssertionFailure() << "the program no longer reacts to its tray icon";
    testing::AssertionResult closed = CloseAboutBox(box);
    if (closed && !program.Running()) return testing::AssertionFailure() << "the program ended";
    return closed;
}

testing::AssertionResult CloseAboutBox(HWND aboutBox) {
    ClickButton(aboutBox, IDOK);
    if (PumpUntil([&] { return !IsWindow(aboutBox); }, kStepTimeoutMs)) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "the about box stayed open after Close";
}

testing::AssertionResult RunToEnd(const std::wstring& exe, const std::string& arguments) {
    Program run(exe, arguments);
    if (!run.WaitForEnd())
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

testing::AssertionResult EditorShows(const TypingTarget& editor, const std::string& text) {
    if (PumpUntil([&] { return editor.Text() == ToWide(text); }, kStepTimeoutMs)) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "editor holds \"" << ToAnsi(editor.Text()) << "\"";
}
