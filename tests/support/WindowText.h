#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/ProgramFiles.h"

// The text of a window or control; asked for, as another process's edit field keeps its own.
inline std::wstring TextOf(HWND window) {
    wchar_t text[2048] = L"";
    DWORD_PTR length = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &length);
    return text;
}

// A label shows all of its text when the text, wrapped as a static control wraps it, needs no more
// room than the label has.
inline testing::AssertionResult ShowsAllItsText(HWND label) {
    RECT room{};
    GetClientRect(label, &room);
    RECT needed = room;
    const std::wstring text = TextOf(label);
    HDC dc = GetDC(label);
    HGDIOBJ font = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
    DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    SelectObject(dc, font);
    ReleaseDC(label, dc);
    if (needed.right <= room.right && needed.bottom <= room.bottom) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "\"" << ToAnsi(text) << "\" needs " << needed.right << "x" << needed.bottom
                                       << " pixels, its label has " << room.right << "x" << room.bottom;
}
