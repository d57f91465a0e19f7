#pragma once
#include <windows.h>

#include <functional>
#include <string>

// The three ways the program asks the person or the shell for something.
struct Prompt {
    enum class Kind { MessageBox, ShellOpen, OpenFile };
    Kind kind;
    std::string text;     // message, or the document to open
    std::string caption;  // message box caption
    UINT type = 0;        // message box buttons and icon
};

// Component tests install a responder that records each prompt and gives its answer;
// with none installed the real window or shell call runs.
using PromptResponder = std::function<int(const Prompt&)>;
void AfxSetPromptResponder(PromptResponder responder);

// Message box captioned with the application name; the exclamation icon when none is named.
int AfxMessageBox(const char* text, UINT type = MB_OK);

// Opens a document, folder or address with its associated program.
void AfxShellOpen(const char* target);
