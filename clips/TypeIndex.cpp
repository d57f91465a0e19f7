#include "TypeIndex.h"

#include <cstdio>

#include "base/Log.h"
#include "base/ProgramFolder.h"
#include "clips/ClipRecord.h"
#include "clips/Clipboard.h"
#include "base/CurrentProject.h"

namespace {

struct IndexKeys {
    char section[8];
    char typeKey[16];
    char captionKey[16];
};

// False when the entry has no section: a favourite while no project is loaded.
bool KeysFor(int number, bool recent, IndexKeys& keys) {
    if (recent) {
        std::snprintf(keys.section, sizeof keys.section, "RECENTS");
        std::snprintf(keys.typeKey, sizeof keys.typeKey, "RECCLIP%d", number);
    } else {
        if (CurrentPrj == 0) return false;
        std::snprintf(keys.section, sizeof keys.section, "%c", CurrentPrj);
        std::snprintf(keys.typeKey, sizeof keys.typeKey, "CLIP%d", number);
    }
    std::snprintf(keys.captionKey, sizeof keys.captionKey, "CAPTION%d", number);
    return true;
}

// Unsigned hexadecimal with an optional 0x; stops at the first non-digit; no number gives 0.
UINT ParseHex(const char* text) {
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text += 2;
    UINT value = 0;
    for (; *text; ++text) {
        char c = *text;
        UINT digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            break;
        value = value * 16 + digit;
    }
    return value;
}

}  // namespace

void SetClipType(int number, UINT type, const char* caption, bool recent) {
    WriteLog("SetClipType started", 0);
    IndexKeys keys;
    char path[MAX_PATH];
    if (!KeysFor(number, recent, keys) || !ProgramPath(path, "Save.ini")) {
        WriteLog("Error save INI!", 0);
        return;
    }
    char value[16];
    std::snprintf(value, sizeof value, "0x%X", type);
    if (!WritePrivateProfileStringA(keys.section, keys.typeKey, value, path)) WriteLog("Error save INI!", 0);
    if (!WritePrivateProfileStringA(keys.section, keys.captionKey, caption, path)) WriteLog("Error save INI!", 0);
}

UINT GetClipType(int number, char* caption, bool recent) {
    WriteLog("GetClipType started", 0);
    if (caption) caption[0] = '\0';
    IndexKeys keys;
    char path[MAX_PATH];
    if (!KeysFor(number, recent, keys) || !ProgramPath(path, "Save.ini")) return 0;
    if (caption) GetPrivateProfileStringA(keys.section, keys.captionKey, "", caption, kCaptionSize, path);
    char value[260];
    GetPrivateProfileStringA(keys.section, keys.typeKey, "0x0", value, sizeof value, path);
    UINT type = ParseHex(value);
    return type > 0xC000 ? g_nRichTextFormat : type;
}
