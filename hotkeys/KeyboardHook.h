#pragma once
#include <windows.h>

#include <bitset>
#include <vector>

// A digit combination with Win (Win+digit, Ctrl+Win+digit as the favourite keys are by default) that
// another program, usually the Windows shell, holds, so RegisterHotKey refused it.
struct HookedHotkey {
    UINT id;         // the WM_HOTKEY id it stands for
    UINT modifiers;  // MOD_WIN with any of MOD_CONTROL, MOD_ALT, MOD_SHIFT
    UINT key;        // '0' to '9'
};

// Whether the program holds Ctrl+Win+letter for a project at the moment; the hook leaves the keys of the other
// letters alone. Kept by TakeProjectHotKey and ReleaseProjectHotKey.
void ServeProjectLetter(char letter, bool served);

enum class KeyVerdict { PassOn, Swallow, SwallowAndPost };

// A key event as the system's key state shows it: a key-down is a Repeat when the key already
// reads as held before it (the hook sees each event before the system's state takes it in).
enum class KeyStroke { Down, Repeat, Up };

// The modifier keys held when a key event arrives.
struct HeldModifiers {
    bool win, control, alt, shift;
};

// Decides, one key event at a time, what the program's keyboard hook does with it:
// - the key-down of a served combination (the digit with exactly the modifiers it says held) is
//   swallowed and posted as its hotkey, its key-up too;
// - an auto-repeat of any of the program's combinations (under the sets in force: a digit with a digit
//   group's set, Insert or Delete with the append keys', a project's letter with the project keys') is
//   swallowed, so a held hotkey acts once, also where RegisterHotKey's no-repeat flag is not honoured (Wine);
// - every other event passes on.
class HotkeyKeyMatcher {
public:
    explicit HotkeyKeyMatcher(std::vector<HookedHotkey> served) : m_served(std::move(served)) {}

    // `served` is set when the verdict is SwallowAndPost.
    KeyVerdict OnKey(DWORD vk, KeyStroke stroke, const HeldModifiers& held, HookedHotkey& served);

private:
    std::vector<HookedHotkey> m_served;
    std::bitset<256> m_swallowed;  // keys whose key-down went to a served combination
    // Served keys that may still be repeating under Win: the system never saw them go down, so
    // their auto-repeats come as presses. Win released ends it, also for a key-up the hook missed.
    std::bitset<256> m_servedUnderWin;
};

// Tests have Windows refuse the hook, as it may (true), or let it be installed again.
void RefuseKeyboardHookForTests(bool refused);

// The program's low-level keyboard hook, on a thread of its own that does nothing but pump its
// messages: Windows drops a low-level hook that answers late, and the main thread sleeps while it
// injects keys. A served combination posts WM_HOTKEY to the target window.
class HotkeyKeyboardHook {
public:
    HotkeyKeyboardHook() = default;
    ~HotkeyKeyboardHook() { Stop(); }
    HotkeyKeyboardHook(const HotkeyKeyboardHook&) = delete;
    HotkeyKeyboardHook& operator=(const HotkeyKeyboardHook&) = delete;

    // Serves the given combinations (none: it only keeps held hotkeys from repeating). False when
    // the hook cannot be installed.
    bool Start(HWND target, std::vector<HookedHotkey> served);
    // Installs a running hook anew, serving the same combinations: Windows may have removed it
    // without a word (it answered too late once). False when it cannot be installed again; a hook
    // that is not running stays so.
    bool Reinstall();
    void Stop();
    bool Running() const { return m_thread != nullptr; }

private:
    struct Starting;
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);
    static DWORD WINAPI Run(void* starting);

    HWND m_target = nullptr;
    std::vector<HookedHotkey> m_served;
    HANDLE m_thread = nullptr;
    DWORD m_threadId = 0;
};
