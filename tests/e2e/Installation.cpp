#include "Installation.h"

#include <gtest/gtest.h>

#include "Desktop.h"
#include "support/Pump.h"

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

std::string WindowsPath(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;
    std::string converted = "Z:" + path;
    for (char& c : converted)
        if (c == '/') c = '\\';
    return converted;
}

Installation::Installation(const std::wstring& suffix, const std::string& from) : m_source(from) {
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
        const DWORD error = GetLastError();
        if (attempt == 3) {
            ADD_FAILURE() << "CreateProcess failed with error " << error;
            return;
        }
        PumpFor(500);
    }
    CloseHandle(info.hThread);
    m_process = info.hProcess;
    m_id = info.dwProcessId;
}

Program::~Program() {
    if (!m_process) return;
    if (Running()) {
        HWND window = m_mainWindow ? m_mainWindow : FindTopLevel(m_id, kMainTitle);
        bool asked = window && PostMessageA(window, WM_COMMAND, kExitCommand, 0);
        if (!asked || !WaitForEnd(kStepTimeoutMs)) {
            ADD_FAILURE() << "Quorvex.exe (process " << m_id << ") did not end on the Exit command; terminated";
            TerminateProcess(m_process, 1);
            WaitForSingleObject(m_process, 5000);
        }
    }
    CloseHandle(m_process);
}

void Program::Kill() {
    TerminateProcess(m_process, 1);
    WaitForSingleObject(m_process, kStepTimeoutMs);
}

bool Program::Running() const { return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT; }

bool Program::WaitForEnd(DWORD timeoutMs) const {
    if (!m_process) return false;
    return PumpUntil([this] { return WaitForSingleObject(m_process, 0) == WAIT_OBJECT_0; }, timeoutMs);
}

DWORD Program::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (m_process) GetExitCodeProcess(m_process, &code);
    return code;
}

HWND Program::WaitUntilReady(DWORD timeoutMs) {
    if (!m_process) return nullptr;
    DWORD start = GetTickCount();
    PumpUntil(
        [this] {
            m_mainWindow = FindTopLevel(m_id, kMainTitle);
            return m_mainWindow != nullptr || !Running();
        },
        timeoutMs);
    if (!m_mainWindow) return nullptr;
    // The window exists from the middle of start-up on; the program is ready for the clipboard
    // and the hotkeys once its message loop waits for input.
    DWORD elapsed = GetTickCount() - start;
    DWORD left = elapsed < timeoutMs ? timeoutMs - elapsed : 0;
    if (WaitForInputIdle(m_process, left) != 0 || !Running()) return nullptr;
    return m_mainWindow;
}

bool Program::Exit(DWORD timeoutMs) {
    HWND window = m_mainWindow ? m_mainWindow : FindTopLevel(m_id, kMainTitle);
    if (!window || !PostMessageA(window, WM_COMMAND, kExitCommand, 0)) return false;
    return WaitForEnd(timeoutMs);
}
