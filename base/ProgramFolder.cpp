#include "ProgramFolder.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <string>

#include "framework/TextConversion.h"

namespace {

std::wstring& FolderOverride() {
    static std::wstring folder;
    return folder;
}

// The executable's full path cut at its last backslash.
bool ProgramFolder(wchar_t (&folder)[MAX_PATH]) {
    if (!FolderOverride().empty()) {
        if (FolderOverride().size() >= MAX_PATH) return false;
        std::wcscpy(folder, FolderOverride().c_str());
        return true;
    }
    DWORD length = GetModuleFileNameW(nullptr, folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    wchar_t* slash = std::wcsrchr(folder, L'\\');
    if (slash) *slash = L'\0';
    return true;
}

bool FormatName(char (&name)[MAX_PATH], const char* format, va_list args) {
    int written = std::vsnprintf(name, sizeof name, format, args);
    return written >= 0 && written < MAX_PATH;
}

}  // namespace

bool ProgramPathW(wchar_t (&out)[MAX_PATH], const char* name) {
    wchar_t folder[MAX_PATH];
    out[0] = L'\0';
    if (!ProgramFolder(folder)) return false;
    const std::wstring wideName = WideText(name);
    const std::size_t length = std::wcslen(folder);
    if (length + 1 + wideName.size() >= MAX_PATH) return false;
    std::wcscpy(out, folder);
    out[length] = L'\\';
    std::wcscpy(out + length + 1, wideName.c_str());
    return true;
}

bool ProgramPathFormatW(wchar_t (&out)[MAX_PATH], const char* format, ...) {
    char name[MAX_PATH];
    va_list args;
    va_start(args, format);
    bool fits = FormatName(name, format, args);
    va_end(args);
    out[0] = L'\0';
    return fits && ProgramPathW(out, name);
}

void SetProgramFolderForTests(const wchar_t* folder) { FolderOverride() = folder ? folder : L""; }
