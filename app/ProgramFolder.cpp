#include "ProgramFolder.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string& FolderOverride() {
    static std::string folder;
    return folder;
}

// The executable's full path cut at its last backslash.
bool ProgramFolder(char (&folder)[MAX_PATH]) {
    if (!FolderOverride().empty()) {
        if (FolderOverride().size() >= MAX_PATH) return false;
        std::strcpy(folder, FolderOverride().c_str());
        return true;
    }
    DWORD length = GetModuleFileNameA(nullptr, folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    char* slash = std::strrchr(folder, '\\');
    if (slash) *slash = '\0';
    return true;
}

}  // namespace

bool ProgramPath(char (&out)[MAX_PATH], const char* name) {
    char folder[MAX_PATH];
    out[0] = '\0';
    if (!ProgramFolder(folder)) return false;
    int written = std::snprintf(out, MAX_PATH, "%s\\%s", folder, name);
    if (written < 0 || written >= MAX_PATH) {
        out[0] = '\0';
        return false;
    }
    return true;
}

bool ProgramPathFormat(char (&out)[MAX_PATH], const char* format, ...) {
    char name[MAX_PATH];
    va_list args;
    va_start(args, format);
    int written = std::vsnprintf(name, sizeof name, format, args);
    va_end(args);
    if (written < 0 || written >= MAX_PATH) {
        out[0] = '\0';
        return false;
    }
    return ProgramPath(out, name);
}

void SetProgramFolderForTests(const char* folder) { FolderOverride() = folder ? folder : ""; }
