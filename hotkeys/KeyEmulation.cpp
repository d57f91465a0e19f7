#include "KeyEmulation.h"

#include <windows.h>

#include "base/Log.h"

namespace {

// Ctrl down, key down, key up, Ctrl up, with the keys' scan codes. The user may still hold the
// hotkey's own modifiers; they are left as they are.
void InjectControlChord(BYTE key, DWORD leadMs, DWORD trailMs) {
    Sleep(leadMs);
    const BYTE controlScan = static_cast<BYTE>(MapVirtualKeyA(VK_CONTROL, 0));
    const BYTE keyScan = static_cast<BYTE>(MapVirtualKeyA(key, 0));
    keybd_event(VK_CONTROL, controlScan, 0, 0);
    keybd_event(key, keyScan, 0, 0);
    keybd_event(key, keyScan, KEYEVENTF_KEYUP, 0);
    keybd_event(VK_CONTROL, controlScan, KEYEVENTF_KEYUP, 0);
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
