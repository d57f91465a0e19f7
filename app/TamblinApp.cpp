#include "TamblinApp.h"

#include "base/IniFile.h"
#include "base/Log.h"
#include "base/ProgramFolder.h"
#include "clips/Clipboard.h"
#include "framework/Handles.h"
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

const char kFolderClaim[] = "Quorvex.lock";

}  // namespace

// Every program started from one folder writes the same Save.ini, whatever its executable is called and
// whichever account started it: the folder's running instance holds a file in it open without sharing,
// which only someone who may write the folder can do. The system lets go of it when the process ends,
// killed or not, and deletes it then.
CTamblinApp::FolderClaim CTamblinApp::ClaimFolder() {
    wchar_t path[MAX_PATH];
    if (!ProgramPathW(path, kFolderClaim)) {
        m_claimError = ERROR_FILENAME_EXCED_RANGE;
        return FolderClaim::Unclaimable;
    }
    HANDLE claim = INVALID_HANDLE_VALUE;
    // Access denied: the file of an instance that has just ended may not be deleted yet.
    RetryWhileFileHeld([&] {
        claim = CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        return claim != INVALID_HANDLE_VALUE;
    });
    // A file that may not be deleted (made read-only, say) claims the folder as well while it is held.
    if (claim == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED)
        claim = CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    m_claimError = claim == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    m_folderClaim = std::make_unique<FileHandle>(claim);
    if (m_folderClaim->IsValid()) return FolderClaim::Claimed;
    // Held by an instance, or kept from this account by someone who may write the folder. Where this
    // account cannot make the file, it cannot write Save.ini there either: it runs without the claim.
    return m_claimError == ERROR_SHARING_VIOLATION || GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES
               ? FolderClaim::Held
               : FolderClaim::Unclaimable;
}

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
    const FolderClaim claim = ClaimFolder();
    if (claim == FolderClaim::Held) {
        WriteLogFormat(0, "Error 0x%X opening Quorvex.lock: another instance runs from this folder",
                       static_cast<unsigned>(m_claimError));
        return FALSE;
    }

    if (!AfxOleInit()) {
        AfxMessageBox("Error OLE!", MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    DeleteLog();
    LogKeptOpen log;  // the start writes some ninety lines, most of them in the rich-text lookup
    WriteLog("BOOL CTamblinApp::InitInstance() started", 1);
    if (claim == FolderClaim::Unclaimable)
        WriteLogFormat(0, "Error 0x%X creating Quorvex.lock: nothing keeps another instance from this folder",
                       static_cast<unsigned>(m_claimError));

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

int CTamblinApp::RegisterHotKeys() {
    std::vector<std::string> taken;
    const int result = RegisterFixedHotKeys(m_pMainDlg->m_hWnd, m_pMainDlg->m_KeyboardHook, taken);
    m_pMainDlg->TellHotkeysTaken(taken);
    return result;
}
