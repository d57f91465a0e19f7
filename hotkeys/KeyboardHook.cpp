#include "KeyboardHook.h"

#include <atomic>
#include <cstdint>

#include "hotkeys/HotkeyGroups.h"

namespace {

// An unassigned key: its press between Win down and Win up keeps the shell from opening Start.
const WORD kMaskKey = 0xE8;
// Posted to the hook thread: send the mask key once the hook has returned.
const UINT WM_SEND_MASK_KEY = WM_APP + 1;
// The hook thread pumps messages and runs the hook procedure, some 12 KB of stack at the most:
// it reserves a margin over that rather than the program's default of 2 MB.
const SIZE_T kStackReservation = 256 * 1024;

HotkeyKeyboardHook* g_activeHook = nullptr;  // the hook procedure has no context of its own
HotkeyKeyMatcher* g_activeMatcher = nullptr;
std::atomic<std::uint32_t> g_servedProjectLetters{0};  // bit n: the letter 'A' + n; read on the hook's thread
bool g_refusedForTests = false;

bool ServesProjectLetter(DWORD vk) { return vk >= 'A' && vk <= 'Z' && (g_servedProjectLetters >> (vk - 'A')) & 1; }

bool IsHeld(int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

// The system's own key state rather than one followed from the events seen: an event the hook
// missed (Windows skips a hook that answers late) must never leave a modifier stuck down here.
HeldModifiers HeldNow() {
    return {IsHeld(VK_LWIN) || IsHeld(VK_RWIN), IsHeld(VK_CONTROL), IsHeld(VK_MENU), IsHeld(VK_SHIFT)};
}

void SendMaskKey() {
    INPUT inputs[2] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = kMaskKey;
    }
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

KeySet SetOf(const HeldModifiers& held) {
    return (held.win ? MOD_WIN : 0) | (held.control ? MOD_CONTROL : 0) | (held.alt ? MOD_ALT : 0) |
           (held.shift ? MOD_SHIFT : 0);
}

bool IsProgramCombination(DWORD vk, const HeldModifiers& held) {
    const KeySet set = SetOf(held);
    if (set == kKeysOff) return false;
    if (vk >= '0' && vk <= '9') {
        for (HotkeyGroup group : AllHotkeyGroups())
            if (RowOf(group).digits && KeysInForce(group) == set) return true;
        return false;
    }
    if (vk == VK_INSERT || vk == VK_DELETE) return KeysInForce(HotkeyGroup::AppendFile) == set;
    return KeysInForce(HotkeyGroup::Project) == set && ServesProjectLetter(vk);
}

}  // namespace

void ServeProjectLetter(char letter, bool served) {
    if (letter < 'A' || letter > 'Z') return;
    const std::uint32_t bit = 1u << (letter - 'A');
    if (served)
        g_servedProjectLetters |= bit;
    else
        g_servedProjectLetters &= ~bit;
}

KeyVerdict HotkeyKeyMatcher::OnKey(DWORD vk, KeyStroke stroke, const HeldModifiers& held, HookedHotkey& served) {
    vk &= 0xFF;
    if (!held.win) m_servedUnderWin.reset();
    if (stroke == KeyStroke::Up) {
        m_servedUnderWin[vk] = false;
        if (!m_swallowed[vk]) return KeyVerdict::PassOn;
        m_swallowed[vk] = false;
        return KeyVerdict::Swallow;
    }
    if (stroke == KeyStroke::Repeat) return IsProgramCombination(vk, held) ? KeyVerdict::Swallow : KeyVerdict::PassOn;
    if (m_servedUnderWin[vk]) return KeyVerdict::Swallow;  // auto-repeat of a served key
    m_swallowed[vk] = false;  // a new press, whatever became of the last one's key-up
    const KeySet set = SetOf(held);
    if (!(set & MOD_WIN)) return KeyVerdict::PassOn;
    for (const HookedHotkey& hotkey : m_served) {
        if (hotkey.key == vk && hotkey.modifiers == set) {
            m_swallowed[vk] = true;
            m_servedUnderWin[vk] = true;
            served = hotkey;
            return KeyVerdict::SwallowAndPost;
        }
    }
    return KeyVerdict::PassOn;
}

// What Start hands the hook thread; it lives until the thread has said whether the hook is in.
struct HotkeyKeyboardHook::Starting {
    HotkeyKeyboardHook* hook;
    HANDLE ready;
    bool installed;
};

void RefuseKeyboardHookForTests(bool refused) { g_refusedForTests = refused; }

bool HotkeyKeyboardHook::Start(HWND target, std::vector<HookedHotkey> served) {
    Stop();
    if (g_refusedForTests) return false;
    m_target = target;
    m_served = std::move(served);
    Starting starting{this, CreateEventA(nullptr, TRUE, FALSE, nullptr), false};
    if (!starting.ready) return false;
    m_thread = CreateThread(nullptr, kStackReservation, Run, &starting, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (m_thread) WaitForSingleObject(starting.ready, INFINITE);
    CloseHandle(starting.ready);
    if (m_thread && !starting.installed) Stop();
    return starting.installed;
}

bool HotkeyKeyboardHook::Reinstall() { return !Running() || Start(m_target, m_served); }

void HotkeyKeyboardHook::Stop() {
    if (!m_thread) return;
    PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
    m_thread = nullptr;
}

DWORD WINAPI HotkeyKeyboardHook::Run(void* parameter) {
    auto& starting = *static_cast<Starting*>(parameter);
    HotkeyKeyboardHook* self = starting.hook;
    // Windows removes a low-level hook that answers later than LowLevelHooksTimeout: this thread
    // only pumps and answers, so it runs ahead of every busy thread of the machine.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    HotkeyKeyMatcher matcher(self->m_served);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists before anyone posts
    self->m_threadId = GetCurrentThreadId();
    g_activeHook = self;
    g_activeMatcher = &matcher;
    HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, HookProc, GetModuleHandleA(nullptr), 0);
    starting.installed = hook != nullptr;
    SetEvent(starting.ready);  // `starting` is gone from here on
    if (hook) {
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (msg.hwnd == nullptr && msg.message == WM_SEND_MASK_KEY) SendMaskKey();
        }
        UnhookWindowsHookEx(hook);
    }
    g_activeMatcher = nullptr;
    g_activeHook = nullptr;
    return 0;
}

LRESULT CALLBACK HotkeyKeyboardHook::HookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code != HC_ACTION || !g_activeMatcher) return CallNextHookEx(nullptr, code, wParam, lParam);
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    const bool up = wParam == WM_KEYUP || wParam == WM_SYSKEYUP;
    const bool held = IsHeld(static_cast<int>(key->vkCode));  // as it was before this event
    const KeyStroke stroke = up ? KeyStroke::Up : held ? KeyStroke::Repeat : KeyStroke::Down;
    HookedHotkey served{};
    switch (g_activeMatcher->OnKey(key->vkCode, stroke, HeldNow(), served)) {
    case KeyVerdict::PassOn:
        return CallNextHookEx(nullptr, code, wParam, lParam);
    case KeyVerdict::SwallowAndPost:
        PostThreadMessageA(g_activeHook->m_threadId, WM_SEND_MASK_KEY, 0, 0);
        PostMessageA(g_activeHook->m_target, WM_HOTKEY, served.id, MAKELPARAM(served.modifiers, served.key));
        return 1;
    case KeyVerdict::Swallow:
        return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
