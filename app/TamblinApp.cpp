#include "TamblinApp.h"

#include "base/Log.h"
#include "clips/Clipboard.h"
#include "framework/Prompts.h"
#include "hotkeys/Hotkeys.h"
#include "res/resource.h"

namespace {

const char kExitRequest[] = "-exit";

// The full image path of a process, lower-cased; empty if it can't be read. Wide, so that an
// installation folder of any name compares whole.
std::wstring ImagePath(HANDLE process) {
    wchar_t path[MAX_PATH] = L"";
    DWORD length = MAX_PATH;
    if (!QueryFullProcessImageNameW(process, 0, path, &length)) return L"";
    CharLowerW(path);
    return path;
}

// The image path of the process that owns a window.
std::wstring OwnerImagePath(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return L"";
    std::wstring path = ImagePath(process);
    CloseHandle(process);
    return path;
}

}  // namespace

BOOL CALLBACK ExitEnumWindowsProc(HWND window, LPARAM) {
    char title[260] = "";
    GetWindowTextA(window, title, sizeof title);
    if (lstrcmpA(title, kMainWindowTitle) != 0) return TRUE;
    // The window's module can only be read for windows of this process, so compare the image
    // of the process that owns the window with our own.
    const std::wstring owner = OwnerImagePath(window);
    if (owner.empty() || owner != ImagePath(GetCurrentProcess())) return TRUE;
    PostMessageA(window, WM_COMMAND, ID_APP_EXIT, 0);
    return FALSE;
}

BOOL CTamblinApp::InitInstance() {
    // Never closed: it marks this instance as running until the process ends.
    CreateSemaphoreA(nullptr, 1, 1, AfxGetAppName().c_str());
    const bool anotherRuns = GetLastError() == ERROR_ALREADY_EXISTS;

    if (m_lpCmdLine == kExitRequest) {
        if (anotherRuns) EnumWindows(ExitEnumWindowsProc, 0);
        return FALSE;
    }
    if (anotherRuns) return FALSE;

    if (!AfxOleInit()) {
        AfxMessageBox("Error OLE!", MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    DeleteLog();
    WriteLog("BOOL CTamblinApp::InitInstance() started", 1);

    m_pMainDlg = std::make_unique<CTamblinDlg>();
    m_pMainWnd = m_pMainDlg.get();
    if (!m_pMainDlg->Create(nullptr)) {
        // Without its window the program could hold no hotkeys and show nothing: end here.
        WriteLogFormat(0, "Error 0x%X creating the main window", static_cast<unsigned>(GetLastError()));
        AfxMessageBox("Error creating the main window!", MB_OK | MB_ICONERROR);
        return FALSE;
    }

    m_pMainDlg->JoinClipboardChain();
    if (RegisterHotKeys() != 0) {
        AfxMessageBox("Error initialize HOT Keys!", MB_OK | MB_ICONERROR);
        return FALSE;
    }
    return TRUE;
}

int CTamblinApp::ExitInstance() {
    WriteLog("APP ExitInstance", 0);
    m_pMainDlg.reset();
    EndClipboardReader();
    return CWinApp::ExitInstance();
}

int CTamblinApp::RegisterHotKeys() { return RegisterFixedHotKeys(m_pMainDlg->m_hWnd, m_pMainDlg->m_KeyboardHook); }
