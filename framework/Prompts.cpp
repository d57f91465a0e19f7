#include "Prompts.h"

#include <commdlg.h>
#include <shellapi.h>

#include "WinApp.h"

namespace {
PromptResponder& Responder() {
    static PromptResponder responder;
    return responder;
}
}  // namespace

void AfxSetPromptResponder(PromptResponder responder) { Responder() = std::move(responder); }

int AfxMessageBox(const char* text, UINT type) {
    if ((type & MB_ICONMASK) == 0) type |= MB_ICONEXCLAMATION;
    Prompt prompt{Prompt::Kind::MessageBox, text, AfxGetAppName(), type};
    if (Responder()) return Responder()(prompt);
    return MessageBoxA(nullptr, prompt.text.c_str(), prompt.caption.c_str(), type);
}

void AfxShellOpen(const char* target, const char* verb) {
    if (Responder()) {
        Responder()(Prompt{Prompt::Kind::ShellOpen, target, verb, 0});
        return;
    }
    ShellExecuteA(nullptr, verb, target, nullptr, nullptr, SW_SHOW);
}

std::string AfxGetOpenFileName(HWND owner, const char* title, const char* filterName, const char* pattern,
                               const char* fileName, const char* initialFolder) {
    if (Responder()) {
        std::string chosen;
        Prompt prompt{Prompt::Kind::OpenFile, initialFolder, title, 0, &chosen};
        return Responder()(prompt) == IDOK ? chosen : std::string();
    }
    // The filter is pairs of NUL-terminated texts, ended by an empty one.
    std::string filter = std::string(filterName) + '\0' + pattern + '\0' + '\0';
    char file[MAX_PATH] = "";
    lstrcpynA(file, fileName, MAX_PATH);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrInitialDir = initialFolder;
    dialog.lpstrTitle = title;
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    return GetOpenFileNameA(&dialog) ? std::string(file) : std::string();
}
