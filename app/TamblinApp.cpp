#include "TamblinApp.h"

#include <sddl.h>

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

// False only where the file is known to be missing.
bool FileMayExist(const wchar_t* path) {
    if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) return true;
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

// Only the account that makes the claim's file may open it: another account that may read the folder can then
// neither hold the file nor lock it.
std::wstring ThisAccountOnly() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return L"";
    alignas(TOKEN_USER) BYTE user[256];
    DWORD size = 0;
    wchar_t* sid = nullptr;
    const bool read = GetTokenInformation(token, TokenUser, user, sizeof user, &size) &&
                      ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid);
    CloseHandle(token);
    if (!read) return L"";
    const std::wstring descriptor = L"D:P(A;;FA;;;" + std::wstring(sid) + L")";
    LocalFree(sid);
    return descriptor;
}

}  // namespace

// Every program started from one folder writes the same Save.ini, whatever its executable is called and
// whichever account started it: the folder's running instance locks a file in it, which only someone who may
// write the folder can make. The lock goes when the process ends, killed or not; a program that merely reads the
// file (a virus scanner, an indexer) never holds it.
CTamblinApp::FolderClaim CTamblinApp::ClaimFolder() {
    if (!ProgramPathW(m_claimPath, kFolderClaim)) {
        m_claimError = ERROR_FILENAME_EXCED_RANGE;
        return FolderClaim::Unclaimable;
    }
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const std::wstring accountOnly = ThisAccountOnly();
    if (!accountOnly.empty())
        ConvertStringSecurityDescriptorToSecurityDescriptorW(accountOnly.c_str(), SDDL_REVISION_1, &descriptor,
                                                             nullptr);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    HANDLE claim = INVALID_HANDLE_VALUE;
    const DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    RetryWhileFileHeld([&] {
        claim = CreateFileW(m_claimPath, GENERIC_READ, sharing, &attributes, OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN,
                            nullptr);
        // A file that may not be opened stays so: only one held without sharing (a backup) is waited for.
        return claim != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION;
    });
    m_claimError = claim == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    if (descriptor) LocalFree(descriptor);
    m_folderClaim = std::make_unique<FileHandle>(claim);
    if (m_folderClaim->IsValid()) {
        OVERLAPPED whole{};
        if (LockFileEx(claim, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole))
            return FolderClaim::Claimed;
        m_claimError = GetLastError();
        m_folderClaim->Close();
        return FolderClaim::Held;
    }
    // A file there that this account may not open is another account's claim, made by someone who may write the
    // folder. Where this account cannot make the file, it cannot write Save.ini there either: it runs unclaimed.
    return FileMayExist(m_claimPath) ? FolderClaim::Held : FolderClaim::Unclaimable;
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
        // Other keys may be chosen there and then; without, the program ends as it always has.
        return m_pMainDlg->ChooseKeys(m_keysHeldElsewhere);
    }
    return TRUE;
}

int CTamblinApp::ExitInstance() {
    WriteLog("APP ExitInstance", 0);
    m_pMainDlg.reset();
    EndClipboardReader();
    // Deleted while still locked, so that no start in between takes the file that goes.
    if (m_folderClaim && m_folderClaim->IsValid()) {
        DeleteFileW(m_claimPath);
        m_folderClaim->Close();
    }
    return CWinApp::ExitInstance();
}

int CTamblinApp::RegisterHotKeys() {
    m_keysHeldElsewhere = m_pMainDlg->TakeFixedHotKeys();
    return m_keysHeldElsewhere ? 1 : 0;
}
