#include "Hotkeys.h"

#include "base/Log.h"

namespace {

// The key of slot 1 to 9 is its digit; slot 10 is the key 0.
UINT DigitKey(UINT slot) { return slot == kHotkeySlots ? '0' : '0' + slot; }

bool RegisterDigitGroup(HWND window, UINT base, UINT modifiers, const char* name) {
    for (UINT slot = 1; slot <= kHotkeySlots; ++slot) {
        if (!RegisterHotKey(window, static_cast<int>(base + slot), modifiers, DigitKey(slot))) {
            WriteLogFormat(0, "Can't register %s-%d !", name, static_cast<int>(slot));
            return false;
        }
    }
    return true;
}

}  // namespace

int RegisterFixedHotKeys(HWND window) {
    if (!RegisterDigitGroup(window, HOTKEY_SAVE_FAV, MOD_CONTROL | MOD_WIN, "Win")) return 1;
    if (!RegisterDigitGroup(window, HOTKEY_PASTE_FAV, MOD_WIN, "Win")) return 1;
    if (!RegisterDigitGroup(window, HOTKEY_PASTE_RECENT, MOD_CONTROL, "Ctl")) return 1;
    if (!RegisterHotKey(window, HOTKEY_WIN_INS, MOD_WIN, VK_INSERT)) {
        WriteLog("Can't register Win-Ins!", 0);
        return 1;
    }
    if (!RegisterHotKey(window, HOTKEY_WIN_DEL, MOD_WIN, VK_DELETE)) {
        WriteLog("Can't register Win-Del!", 0);
        return 1;
    }
    return 0;
}
