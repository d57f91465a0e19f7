#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

// The three ways the program asks the person or the shell for something.
struct Prompt {
    enum class Kind { MessageBox, ShellOpen, OpenFile };
    Kind kind;
    std::string text;     // message box text
    std::string caption;  // message box caption, shell verb, or open-file dialog title
    UINT type = 0;        // message box buttons and icon
    std::wstring path;    // the document, folder or address to open, or the open-file dialog's first folder
    std::wstring* chosenFile = nullptr;  // open-file dialog: where a responder puts the file it chose
};

// Component tests install a responder that records each prompt and gives its answer;
// with none installed the real window or shell call runs.
using PromptResponder = std::function<int(const Prompt&)>;
void AfxSetPromptResponder(PromptResponder responder);

// Message box captioned with the application name; the exclamation icon when none is named.
// The visible window active on this thread, if any, owns it and is disabled until it is answered.
int AfxMessageBox(const char* text, UINT type = MB_OK);

// Opens a document, folder or address with its associated program, or with another shell verb
// such as "explore". Paths are UTF-16, so a folder may have any name. False when the shell could
// not (GetLastError tells why; the shell may have said so itself); a responder's 0 means that.
bool AfxShellOpen(const wchar_t* target, const char* verb = "open");

// The open-file dialog: one filter, a file name filled in, a first folder and a title; the file
// must exist. Returns the chosen path, an empty text when the person cancels, or nothing when the
// dialog's library cannot be loaded (GetLastError tells why). The library is loaded at the first
// call: a program that never shows the dialog never holds it.
std::optional<std::wstring> AfxGetOpenFileName(HWND owner, const char* title, const char* filterName,
                                               const char* pattern, const char* fileName,
                                               const wchar_t* initialFolder);
