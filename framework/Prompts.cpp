#include "Prompts.h"

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

void AfxShellOpen(const char* target) {
    if (Responder()) {
        Responder()(Prompt{Prompt::Kind::ShellOpen, target, "", 0});
        return;
    }
    ShellExecuteA(nullptr, "open", target, nullptr, nullptr, SW_SHOW);
}
