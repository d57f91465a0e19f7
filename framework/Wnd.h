#pragma once
#include <windows.h>

#include "Object.h"

// The record of the message being dispatched on this thread (the window, message,
// parameters, time and point of a MSG). Window procedures keep it current.
MSG& AfxGetCurrentMessage();

// Saves the current-message record and installs a new message in it; restores on scope exit,
// so a nested dispatch leaves the outer message intact.
class CurrentMessageScope {
public:
    CurrentMessageScope(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    ~CurrentMessageScope();
    CurrentMessageScope(const CurrentMessageScope&) = delete;
    CurrentMessageScope& operator=(const CurrentMessageScope&) = delete;

private:
    MSG m_saved;
};

// A window this program owns or looks at; binds nothing by itself.
class CWnd : public CObject {
public:
    CWnd() = default;
    const char* GetRuntimeClassName() const override { return "CWnd"; }

    virtual BOOL DestroyWindow();

    HWND m_hWnd = nullptr;
};
