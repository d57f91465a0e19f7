#pragma once
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "support/ClipboardFixture.h"
#include "support/KeyboardRecorder.h"

// What a person or another program sees and does on the desktop: windows, buttons, keys and the
// clipboard. Everything here works on the real session (Wine's, under the tests).

constexpr char kMainTitle[] = "Clipboard Quorvex";
constexpr char kAboutTitle[] = "About Clipboard Quorvex v.1.00";
constexpr char kDialogClass[] = "#32770";
constexpr UINT kExitCommand = 32776;
constexpr UINT kTrayCallback = WM_USER + 100;
constexpr WPARAM kTrayIconId = 131;

std::string WindowText(HWND window);
std::string WindowClass(HWND window);

// Top-level windows of a process (of any, for 0), optionally only those with the given title and/or class.
std::vector<HWND> TopLevelWindows(DWORD processId, const char* title = nullptr, const char* className = nullptr);
HWND FindTopLevel(DWORD processId, const char* title, const char* className = nullptr);

// A child window (any depth) whose text is exactly the given one, or nullptr.
HWND FindChildWithText(HWND parent, const std::string& text);

// Clicks a dialog's button the way a mouse click would (BM_CLICK). Returns false when the
// dialog has no such button.
bool ClickButton(HWND dialog, int buttonId);

// Presses the keys in order and releases them in reverse order, through SendInput.
bool PressKeys(std::initializer_list<WORD> virtualKeys);

// A visible top-level window with one edit control: where the user types and pastes.
class TypingTarget {
public:
    TypingTarget();
    ~TypingTarget();
    TypingTarget(const TypingTarget&) = delete;
    TypingTarget& operator=(const TypingTarget&) = delete;

    // Brings the window to the foreground and gives the edit the keyboard focus; true once both
    // hold.
    bool TakeFocus();
    std::string Text() const;
    std::wstring TextW() const;  // the text as it is, in any language
    HWND Edit() const { return m_edit; }

private:
    HWND m_frame = nullptr;
    HWND m_edit = nullptr;
};

// A hidden top-level window of the test process that counts the commands and hotkeys it receives.
class CountingWindow {
public:
    explicit CountingWindow(const char* title);
    ~CountingWindow();
    CountingWindow(const CountingWindow&) = delete;
    CountingWindow& operator=(const CountingWindow&) = delete;

    HWND Handle() const { return m_window; }
    int Received() const;

private:
    HWND m_window = nullptr;
};

// A global hotkey held by the test process (on a window of its own) while the object lives.
class HeldHotkey {
public:
    HeldHotkey(UINT modifiers, UINT key);
    ~HeldHotkey();
    HeldHotkey(const HeldHotkey&) = delete;
    HeldHotkey& operator=(const HeldHotkey&) = delete;

    bool Held() const { return m_held; }
    // How often the combination reached the test process.
    int Fired() const { return m_owner.Received(); }

private:
    CountingWindow m_owner;
    bool m_held = false;
};
