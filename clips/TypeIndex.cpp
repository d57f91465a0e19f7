#include "TypeIndex.h"

#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "base/IniFile.h"
#include "base/Log.h"
#include "base/ProgramFolder.h"
#include "clips/ClipRecord.h"
#include "clips/Clipboard.h"
#include "base/CurrentProject.h"
#include "framework/Handles.h"

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

}  // namespace

UINT ParseClipType(const char* text) {
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

bool SetClipType(int number, UINT type, const char* caption, bool recent) {
    WriteLog("SetClipType started", 0);
    IndexKeys keys;
    wchar_t path[MAX_PATH];
    if (!KeysFor(number, recent, keys) || !ProgramPathW(path, "Save.ini")) {
        WriteLog("Error save INI!", 0);
        return false;
    }
    wchar_t value[16];
    std::swprintf(value, 16, L"0x%X", type);
    const std::wstring section = WideText(keys.section), typeKey = WideText(keys.typeKey),
                       captionKey = WideText(keys.captionKey), wideCaption = caption ? WideText(caption) : L"";
    // The type and its caption change together.
    const bool written = ChangeIni(path, [&](const wchar_t* copy) {
        return WritePrivateProfileStringW(section.c_str(), typeKey.c_str(), value, copy) &&
               WritePrivateProfileStringW(section.c_str(), captionKey.c_str(), caption ? wideCaption.c_str() : nullptr,
                                          copy);
    });
    if (!written) WriteLog("Error save INI!", 0);
    return written;
}

UINT GetClipType(int number, char* caption, bool recent) {
    WriteLog("GetClipType started", 0);
    if (caption) caption[0] = '\0';
    IndexKeys keys;
    wchar_t path[MAX_PATH];
    if (!KeysFor(number, recent, keys) || !ProgramPathW(path, "Save.ini")) return 0;
    UINT type = ParseClipType(ReadIni(path, keys.section, keys.typeKey, "0x0").c_str());
    // An empty entry has no caption: its read, which costs an opening of Save.ini, is left out.
    if (caption && type != 0)
        lstrcpynA(caption, ReadIni(path, keys.section, keys.captionKey, "").c_str(), kCaptionSize);
    return type > 0xC000 ? g_nRichTextFormat : type;
}

namespace {

const wchar_t kRecentSection[] = L"RECENTS";
const wchar_t kShiftKey[] = L"SHIFTING";

// The section's keys as WritePrivateProfileSection takes them: "key=value" strings, each ended by
// a NUL. Captions are ANSI, as the single-key writes store them.
std::wstring RecentSectionText(const RecentIndexEntry (&entries)[kRecentPositions], int shiftingFrom) {
    std::string text;
    char line[96];
    for (int p = 1; p <= kRecentPositions; ++p) {
        const RecentIndexEntry& entry = entries[p - 1];
        std::snprintf(line, sizeof line, "RECCLIP%d=0x%X", p, entry.type);
        text.append(line).push_back('\0');
        if (entry.type == 0) continue;
        std::snprintf(line, sizeof line, "CAPTION%d=%s", p, entry.caption);
        text.append(line).push_back('\0');
    }
    if (shiftingFrom != 0) {
        std::snprintf(line, sizeof line, "%ls=%d", kShiftKey, shiftingFrom);
        text.append(line).push_back('\0');
    }
    std::wstring wide(text.size(), L'\0');
    if (!text.empty())
        wide.resize(MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                                        static_cast<int>(wide.size())));
    return wide;
}

// The section as Save.ini holds it; nothing when the file cannot be read (another program holds it),
// which the private-profile calls would report as a file without the section.
std::optional<std::wstring> CurrentRecentSection(const wchar_t* path) {
    FileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (!file.IsValid() && GetLastError() != ERROR_FILE_NOT_FOUND) return std::nullopt;
    std::vector<wchar_t> buffer(8192);
    DWORD length = GetPrivateProfileSectionW(kRecentSection, buffer.data(), static_cast<DWORD>(buffer.size()), path);
    return std::wstring(buffer.data(), length);
}

}  // namespace

bool WriteRecentIndex(const RecentIndexEntry (&entries)[kRecentPositions], int shiftingFrom) {
    wchar_t path[MAX_PATH];
    if (!ProgramPathW(path, "Save.ini")) {
        WriteLog("Error save INI!", 0);
        return false;
    }
    std::wstring wanted = RecentSectionText(entries, shiftingFrom);
    const std::optional<std::wstring> current = CurrentRecentSection(path);
    // A missing section already reads as an empty list.
    if (current && (wanted == *current || (current->empty() && wanted == RecentSectionText({}, 0)))) return true;
    wanted.push_back(L'\0');  // the list ends with an empty string
    if (!ChangeIni(path, [&](const wchar_t* copy) {
            return WritePrivateProfileSectionW(kRecentSection, wanted.c_str(), copy) != FALSE;
        })) {
        WriteLog("Error save INI!", 0);
        return false;
    }
    return true;
}

bool EndRecentShift(int lastVouched) {
    wchar_t path[MAX_PATH];
    const bool written = ProgramPathW(path, "Save.ini") && ChangeIni(path, [&](const wchar_t* copy) {
        bool done = true;
        for (int p = lastVouched + 1; p <= kRecentPositions; ++p) {
            const std::wstring type = L"RECCLIP" + std::to_wstring(p), caption = L"CAPTION" + std::to_wstring(p);
            done = done && WritePrivateProfileStringW(kRecentSection, type.c_str(), L"0x0", copy) &&
                   WritePrivateProfileStringW(kRecentSection, caption.c_str(), nullptr, copy);
        }
        return done && WritePrivateProfileStringW(kRecentSection, kShiftKey, nullptr, copy);
    });
    if (!written) WriteLog("Error save INI!", 0);
    return written;
}

int RecentShiftInProgress() {
    wchar_t path[MAX_PATH];
    if (!ProgramPathW(path, "Save.ini")) return 0;
    return static_cast<int>(GetPrivateProfileIntW(kRecentSection, kShiftKey, 0, path));
}
