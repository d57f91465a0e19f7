#pragma once
#include <windows.h>

#include <bitset>
#include <thread>
#include <vector>

// A favourite combination (Win+digit or Ctrl+Win+digit) that another program, usually the
// Windows shell, holds, so RegisterHotKey refused it.
struct HookedHotkey {
    UINT id;         // the WM_HOTKEY id it stands for
    UINT modifiers;  // MOD_WIN, or MOD_CONTROL | MOD_WIN
    UINT key;        // '0' to '9'
};

enum class KeyVerdict { PassOn, Swallow, SwallowAndPost };

// The modifier keys held when a key event arrives.
struct HeldModifiers {
    bool win, control, alt, shift;
};

// Decides, one key event at a time, which events belong to a hooked combination: the digit's
// key-down with Win held, Ctrl held exactly as the combination says, no Alt, no Shift. Its key-up
// and auto-repeats are swallowed too; every other event passes on.
class FavoriteKeyMatcher {
public:
    explicit FavoriteKeyMatcher(std::vector<HookedHotkey> hotkeys) : m_hotkeys(std::move(hotkeys)) {}

    // `served` is set when the verdict is SwallowAndPost.
    KeyVerdict OnKey(DWORD vk, bool up, const HeldModifiers& held, HookedHotkey& served);

private:
    std::vector<HookedHotkey> m_hotkeys;
    std::bitset<256> m_swallowed;  // digits whose key-down went to a favourite
};

// Serves the hooked combinations with a low-level keyboard hook on a thread of its own, which
// does nothing but pump its messages: Windows drops a low-level hook that answers late, and the
// main thread sleeps while it injects keys. A recognised key posts WM_HOTKEY to the target window.
class FavoriteKeyHook {
public:
    FavoriteKeyHook() = default;
    ~FavoriteKeyHook() { Stop(); }
    FavoriteKeyHook(const FavoriteKeyHook&) = delete;
    FavoriteKeyHook& operator=(const FavoriteKeyHook&) = delete;

    // False when the hook cannot be installed.
    bool Start(HWND target, std::vector<HookedHotkey> hotkeys);
    void Stop();
    bool Running() const { return m_thread.joinable(); }

private:
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);
    void Run(std::vector<HookedHotkey> hotkeys, HANDLE ready, bool* installed);

    HWND m_target = nullptr;
    std::thread m_thread;
    DWORD m_threadId = 0;
};
