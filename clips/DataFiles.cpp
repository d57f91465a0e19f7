#include "DataFiles.h"

#include <windows.h>

#include <cstdio>

#include "base/Log.h"
#include "base/ProgramFolder.h"
#include "framework/Handles.h"

namespace {

// Logs a failed open as two lines: the message, then the path (or the name when no path fits).
void LogOpenFailure(const char* message, const char* path, const std::string& name) {
    WriteLog(message, 0);
    WriteLog(path[0] ? path : name.c_str(), 0);
}

bool WriteWholeFile(const char* path, const void* bytes, std::size_t count) {
    FileHandle file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes, static_cast<DWORD>(count), &written, nullptr) || written != count) return false;
    return FlushFileBuffers(file.Get()) != FALSE;
}

}  // namespace

std::string RecentClipFileName(int position) {
    char name[MAX_PATH];
    std::snprintf(name, sizeof name, "RECENT\\RECCLIP%d.DAT", position);
    return name;
}

std::string FavoriteClipFileName(char project, int slot) {
    char name[MAX_PATH];
    std::snprintf(name, sizeof name, "FAVORITE\\%cCLIPB%d.DAT", project, slot);
    return name;
}

bool WriteClipFile(const std::string& name, const void* bytes, std::size_t count, const char* failureMessage) {
    char path[MAX_PATH];
    const bool fits = ProgramPath(path, name.c_str());
    const std::string temporary = std::string(path) + ".tmp";
    if (!fits || temporary.size() >= MAX_PATH) {
        LogOpenFailure(failureMessage, path, name);
        return false;
    }
    if (!WriteWholeFile(temporary.c_str(), bytes, count) ||
        !MoveFileExA(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temporary.c_str());
        LogOpenFailure(failureMessage, path, name);
        return false;
    }
    return true;
}

long ReadClipFile(const std::string& name, char* buffer, OpenMode mode) {
    char path[MAX_PATH];
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (ProgramPath(path, name.c_str())) {
        DWORD disposition = mode == OpenMode::ExistingOnly ? OPEN_EXISTING : OPEN_ALWAYS;
        handle = CreateFileA(path, GENERIC_READ, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    FileHandle file(handle);
    if (!file.IsValid()) {
        LogOpenFailure("Open File error CreateFile() (READ)", path, name);
        return -1;
    }
    DWORD read = 0;
    if (!ReadFile(file.Get(), buffer, static_cast<DWORD>(kMaxClipFileRead), &read, nullptr)) return 0;
    return static_cast<long>(read);
}
