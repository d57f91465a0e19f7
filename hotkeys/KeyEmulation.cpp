#include "KeyEmulation.h"

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "base/Log.h"

namespace {

// A test may give the window in front another level while a paste waits for its keys to go.
const std::uint64_t kNoLevelForTests = ~0ull;
std::atomic<std::uint64_t> g_foregroundIntegrityForTests{kNoLevelForTests};

// The integrity level of the process (its mandatory label's last part), or kUnreadableIntegrity.
DWORD IntegrityLevel(HANDLE process) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return kUnreadableIntegrity;
    DWORD level = kUnreadableIntegrity;
    alignas(TOKEN_MANDATORY_LABEL) BYTE label[64];  // the label and its SID
    DWORD size = 0;
    if (GetTokenInformation(token, TokenIntegrityLevel, label, sizeof label, &size)) {
        PSID sid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(label)->Label.Sid;
        level = *GetSidSubAuthority(sid, *GetSidSubAuthorityCount(sid) - 1);
    }
    CloseHandle(token);
    return level;
}

// Windows keeps a program's messages, as its keys, from a window of a higher level: a message of the program's own,
// which any other window ignores, is refused with access denied there.
bool WindowRefusesMessages(HWND window) {
    static const UINT probe = RegisterWindowMessageW(L"Clipboard Quorvex keys check");
    return probe != 0 && !PostMessageW(window, probe, 0, 0) && GetLastError() == ERROR_ACCESS_DENIED;
}

// A program may open a process of its own account that runs at a higher level, though not read its token. A process
// it may not open at all is another account's: at the same level (run as another user) its window takes the keys,
// at a higher one (run as administrator with an administrator's password) it refuses them as it refuses messages.
DWORD ForegroundIntegrityLevel(HWND foreground) {
    if (const std::uint64_t level = g_foregroundIntegrityForTests; level != kNoLevelForTests)
        return static_cast<DWORD>(level);
    DWORD processId = 0;
    GetWindowThreadProcessId(foreground, &processId);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return WindowRefusesMessages(foreground) ? kUnreadableIntegrity : SECURITY_MANDATORY_UNTRUSTED_RID;
    const DWORD level = IntegrityLevel(process);
    CloseHandle(process);
    return level;
}

bool IsHeld(int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

// Win, Alt or Shift still held would turn the injected chord into another shortcut (Win+Ctrl+V
// is the shell's): give the user up to a second to let go.
void WaitForForeignModifiers() {
    const DWORD kMaxWaitMs = 1000;
    const DWORD start = GetTickCount();
    while (IsHeld(VK_LWIN) || IsHeld(VK_RWIN) || IsHeld(VK_MENU) || IsHeld(VK_SHIFT)) {
        if (GetTickCount() - start >= kMaxWaitMs) return;
        Sleep(10);
    }
}

// Ctrl down, key down, key up, Ctrl up, with the keys' scan codes. When the user already holds
// Ctrl (Ctrl+1 then Ctrl+2 in one go), only the key is sent, so Ctrl stays down as the user holds it.
// The window in front may have changed since the hotkey: none are sent where Windows would drop them.
bool InjectControlChord(BYTE key, DWORD leadMs, DWORD trailMs, const std::function<void()>& keysGo = nullptr) {
    Sleep(leadMs);
    WaitForForeignModifiers();
    if (!ForegroundTakesKeys()) return false;
    if (keysGo) keysGo();
    const bool controlHeld = IsHeld(VK_CONTROL);
    const BYTE controlScan = static_cast<BYTE>(MapVirtualKeyA(VK_CONTROL, 0));
    const BYTE keyScan = static_cast<BYTE>(MapVirtualKeyA(key, 0));
    if (!controlHeld) keybd_event(VK_CONTROL, controlScan, 0, 0);
    keybd_event(key, keyScan, 0, 0);
    keybd_event(key, keyScan, KEYEVENTF_KEYUP, 0);
    if (!controlHeld) keybd_event(VK_CONTROL, controlScan, KEYEVENTF_KEYUP, 0);
    Sleep(trailMs);
    return true;
}

}  // namespace

bool EmulCTRL_V1() {
    WriteLog("EmulCTRL_V1 started", 0);
    return InjectControlChord('V', 300, 150);
}

bool EmulCTRL_C(const std::function<void()>& keysGo) {
    WriteLog("EmulCTRL_C started", 0);
    return InjectControlChord('C', 450, 200, keysGo);
}

bool ForegroundTakesKeys() {
    HWND foreground = GetForegroundWindow();
    if (!foreground || ForegroundIntegrityLevel(foreground) <= IntegrityLevel(GetCurrentProcess())) return true;
    WriteLog("No keys sent: the window in front runs at a higher integrity level", 0);
    return false;
}

void SetForegroundIntegrityForTests(std::optional<DWORD> level) {
    g_foregroundIntegrityForTests = level ? *level : kNoLevelForTests;
}
