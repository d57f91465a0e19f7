#include "TamblinApp.h"

#include <cwchar>

#include "base/Log.h"
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

// The folder as the file system resolves it (a short name, a junction or a substituted drive leads
// to the same folder), lower-cased; as given where it cannot be resolved.
std::wstring ResolvedFolder(std::wstring folder) {
    FileHandle handle(CreateFileW(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    wchar_t resolved[1024];
    const DWORD length =
        handle.IsValid() ? GetFinalPathNameByHandleW(handle.Get(), resolved, 1024, FILE_NAME_NORMALIZED) : 0;
    if (length > 0 && length < 1024) folder.assign(resolved, length);
    CharLowerBuffW(folder.data(), static_cast<DWORD>(folder.size()));
    return folder;
}

// Every program started from one folder writes the same Save.ini, whatever its executable is called
// and whoever started it in whichever session: a global object named after the folder marks the
// folder's running instance. True when there is one already.
bool FolderRunsAnInstance() {
    std::wstring folder = ImagePath(GetCurrentProcess());
    const std::wstring::size_type slash = folder.find_last_of(L'\\');
    if (slash == std::wstring::npos) return false;
    folder = ResolvedFolder(folder.substr(0, slash));
    // An object's name holds no backslash and at most MAX_PATH characters: the path goes in as its
    // 64-bit FNV-1a hash.
    unsigned long long hash = 14695981039346656037ull;
    for (wchar_t c : folder) hash = (hash ^ c) * 1099511628211ull;
    wchar_t name[64];
    std::swprintf(name, 64, L"Global\\Clipboard Quorvex %016llX", hash);
    // Never closed, as the instance semaphore.
    if (CreateSemaphoreW(nullptr, 1, 1, name)) return GetLastError() == ERROR_ALREADY_EXISTS;
    if (GetLastError() != ERROR_ACCESS_DENIED) return false;
    // Another user's instance made it, for that user only; where it is missing, this program may not
    // make global objects and runs without the mark.
    HANDLE other = OpenSemaphoreW(SYNCHRONIZE, FALSE, name);
    if (other) CloseHandle(other);
    return other || GetLastError() == ERROR_ACCESS_DENIED;
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
    if (anotherRuns || FolderRunsAnInstance()) return FALSE;

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
        // Other keys may be chosen there and then; without, the program ends as it always has.
        return m_pMainDlg->ChooseKeys(m_keysHeldElsewhere);
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
    m_keysHeldElsewhere = m_pMainDlg->TakeFixedHotKeys();
    return m_keysHeldElsewhere ? 1 : 0;
}
