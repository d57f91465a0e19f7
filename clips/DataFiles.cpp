#include "DataFiles.h"

#include <windows.h>

#include <cstdio>

#include "base/IniFile.h"
#include "base/Log.h"
#include "base/ProgramFolder.h"
#include "framework/Handles.h"
#include "framework/TextConversion.h"

namespace {

const char kReadFailure[] = "Open File error CreateFile() (READ)";

// The log is ANSI: a path outside the ANSI code page shows its other characters as '?'.
void LogFailure(const char* message, const wchar_t* path, const std::string& name) {
    WriteLog(message, 0);
    WriteLog(path[0] ? AnsiText(path).c_str() : name.c_str(), 0);
}

}  // namespace

std::string IncomingClipFileName(const std::string& name) { return name.substr(0, name.size() - 4) + ".TMP"; }

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

bool WriteFreshFile(const std::string& name, const void* bytes, std::size_t count) {
    wchar_t path[MAX_PATH];
    if (!ProgramPathW(path, name.c_str())) return false;
    HANDLE created = INVALID_HANDLE_VALUE;
    RetryWhileFileHeld([&] {
        created = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        return created != INVALID_HANDLE_VALUE;
    });
    FileHandle file(created);
    if (!file.IsValid()) return false;
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes, static_cast<DWORD>(count), &written, nullptr) || written != count) return false;
    return FlushFileBuffers(file.Get()) != FALSE;
}

bool MoveClipFile(const std::string& from, const std::string& to) {
    wchar_t source[MAX_PATH], target[MAX_PATH];
    return ProgramPathW(source, from.c_str()) && ProgramPathW(target, to.c_str()) && RetryWhileFileHeld([&] {
               return MoveFileExW(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
           });
}

bool ClipFileExists(const std::string& name) {
    wchar_t path[MAX_PATH];
    return ProgramPathW(path, name.c_str()) && GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

void DeleteClipFile(const std::string& name) {
    wchar_t path[MAX_PATH];
    if (ProgramPathW(path, name.c_str())) DeleteFileW(path);
}

void LogWriteFailure(const char* message, const std::string& name) {
    wchar_t path[MAX_PATH];
    ProgramPathW(path, name.c_str());
    LogFailure(message, path, name);
}

bool WriteClipFile(const std::string& name, const void* bytes, std::size_t count, const char* failureMessage) {
    const std::string incoming = IncomingClipFileName(name);
    if (!WriteFreshFile(incoming, bytes, count) || !MoveClipFile(incoming, name)) {
        DeleteClipFile(incoming);
        LogWriteFailure(failureMessage, name);
        return false;
    }
    return true;
}

bool DataFilePathsFit() {
    wchar_t path[MAX_PATH];
    // The longest names the program gives its files.
    return ProgramPathW(path, "RECENT\\RECCLIP10.DAT") && ProgramPathW(path, "FAVORITE\\ACLIPB10.DAT");
}

long ReadClipFile(const std::string& name, char* buffer, OpenMode mode) {
    wchar_t path[MAX_PATH];
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (ProgramPathW(path, name.c_str())) {
        DWORD disposition = mode == OpenMode::CreateIfMissing ? OPEN_ALWAYS : OPEN_EXISTING;
        handle = CreateFileW(path, GENERIC_READ, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    FileHandle file(handle);
    if (!file.IsValid()) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND && mode == OpenMode::MissingIsEmpty) return 0;
        LogFailure(kReadFailure, path, name);
        return error == ERROR_FILE_NOT_FOUND ? kClipFileMissing : kClipFileUnreadable;
    }
    DWORD read = 0;
    if (!ReadFile(file.Get(), buffer, static_cast<DWORD>(kMaxClipFileRead), &read, nullptr)) {
        LogFailure(kReadFailure, path, name);
        return kClipFileUnreadable;
    }
    return static_cast<long>(read);
}
