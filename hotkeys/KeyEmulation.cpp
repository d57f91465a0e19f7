#include "KeyEmulation.h"

#include <windows.h>

#include "base/Log.h"

namespace {

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
void InjectControlChord(BYTE key, DWORD leadMs, DWORD trailMs) {
    Sleep(leadMs);
    WaitForForeignModifiers();
    const bool controlHeld = IsHeld(VK_CONTROL);
    const BYTE controlScan = static_cast<BYTE>(MapVirtualKeyA(VK_CONTROL, 0));
    const BYTE keyScan = static_cast<BYTE>(MapVirtualKeyA(key, 0));
    if (!controlHeld) keybd_event(VK_CONTROL, controlScan, 0, 0);
    keybd_event(key, keyScan, 0, 0);
    keybd_event(key, keyScan, KEYEVENTF_KEYUP, 0);
    if (!controlHeld) keybd_event(VK_CONTROL, controlScan, KEYEVENTF_KEYUP, 0);
    Sleep(trailMs);
}

}  // namespace

void EmulCTRL_V1() {
    WriteLog("EmulCTRL_V1 started", 0);
    InjectControlChord('V', 300, 150);
}

void EmulCTRL_C() {
    WriteLog("EmulCTRL_C started", 0);
    InjectControlChord('C', 450, 200);
}
