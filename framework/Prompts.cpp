#include "Prompts.h"

#include <commdlg.h>
#include <shellapi.h>

#include "WinApp.h"
#include "framework/TextConversion.h"

namespace {
PromptResponder& Responder() {
    static PromptResponder responder;
    return responder;
}

// The system error code for the shell's own code of a failed open (an SE_ERR_ value).
DWORD ShellOpenError(HINSTANCE shellCode) {
    switch (reinterpret_cast<INT_PTR>(shellCode)) {
    case SE_ERR_FNF: return ERROR_FILE_NOT_FOUND;
    case SE_ERR_PNF: return ERROR_PATH_NOT_FOUND;
    case SE_ERR_ACCESSDENIED: return ERROR_ACCESS_DENIED;
    case SE_ERR_OOM: return ERROR_NOT_ENOUGH_MEMORY;
    case SE_ERR_SHARE: return ERROR_SHARING_VIOLATION;
    case SE_ERR_ASSOCINCOMPLETE:
    case SE_ERR_NOASSOC: return ERROR_NO_ASSOCIATION;
    case SE_ERR_DDETIMEOUT:
    case SE_ERR_DDEFAIL:
    case SE_ERR_DDEBUSY: return ERROR_DDE_FAIL;
    case SE_ERR_DLLNOTFOUND: return ERROR_DLL_NOT_FOUND;
    default: return ERROR_GEN_FAILURE;
    }
}
}  // namespace

void AfxSetPromptResponder(PromptResponder responder) { Responder() = std::move(responder); }

int AfxMessageBox(const char* text, UINT type) {
    if ((type & MB_ICONMASK) == 0) type |= MB_ICONEXCLAMATION;
    Prompt prompt{Prompt::Kind::MessageBox, text, AfxGetAppName(), type, L""};
    if (Responder()) return Responder()(prompt);
    // Owned by the window the person works in (a dialog asking a question), so that window waits
    // for the answer and the box never hides behind it; the hidden main window owns nothing.
    HWND owner = GetActiveWindow();
    if (owner && !IsWindowVisible(owner)) owner = nullptr;
    return MessageBoxA(owner, prompt.text.c_str(), prompt.caption.c_str(), type);
}

bool AfxShellOpen(const wchar_t* target, const char* verb) {
    if (Responder()) return Responder()(Prompt{Prompt::Kind::ShellOpen, "", verb, 0, target}) != 0;
    // The Ex form reports a failure through GetLastError, as every other call here does.
    const std::wstring shellVerb = WideText(verb);
    SHELLEXECUTEINFOW open{};
    open.cbSize = sizeof open;
    open.lpVerb = shellVerb.c_str();
    open.lpFile = target;
    open.nShow = SW_SHOW;
    if (ShellExecuteExW(&open)) return true;
    // The shell's own message box about the failure (Wine shows one) clears the error code as it
    // closes; the shell's code of the failure is still in hInstApp.
    if (GetLastError() == ERROR_SUCCESS) SetLastError(ShellOpenError(open.hInstApp));
    return false;
}

namespace {
// GetOpenFileNameW, from comdlg32.dll loaded at the first call; null while it cannot be loaded.
// Linked at start, that library would bring the print spooler's with it into every run.
using GetOpenFileNameFunction = BOOL(WINAPI*)(OPENFILENAMEW*);
GetOpenFileNameFunction OpenFileDialog() {
    static GetOpenFileNameFunction function = nullptr;
    if (!function) {
        // FARPROC goes through the generic function pointer type, from which any other may be cast.
        if (HMODULE library = LoadLibraryW(L"comdlg32.dll"))
            function = reinterpret_cast<GetOpenFileNameFunction>(
                reinterpret_cast<void (*)()>(GetProcAddress(library, "GetOpenFileNameW")));
    }
    return function;
}
}  // namespace

std::optional<std::wstring> AfxGetOpenFileName(HWND owner, const char* title, const char* filterName,
                                               const char* pattern, const char* fileName,
                                               const wchar_t* initialFolder) {
    if (Responder()) {
        std::wstring chosen;
        Prompt prompt{Prompt::Kind::OpenFile, "", title, 0, initialFolder, &chosen};
        return Responder()(prompt) == IDOK ? chosen : std::wstring();
    }
    const GetOpenFileNameFunction getOpenFileName = OpenFileDialog();
    if (!getOpenFileName) return std::nullopt;
    // The filter is pairs of NUL-terminated texts, ended by an empty one.
    const std::wstring filter = WideText(filterName) + L'\0' + WideText(pattern) + L'\0' + L'\0';
    const std::wstring caption = WideText(title);
    wchar_t file[MAX_PATH] = L"";
    lstrcpynW(file, WideText(fileName).c_str(), MAX_PATH);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrInitialDir = initialFolder;
    dialog.lpstrTitle = caption.c_str();
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    return getOpenFileName(&dialog) ? std::wstring(file) : std::wstring();
}
