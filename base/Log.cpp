#include "Log.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <string>

#include "ProgramFolder.h"

unsigned g_nLogLevel = 0;

namespace {

const char kLogName[] = "Clip.log";

// One append-only handle for the whole run, reopened only when the program folder changes.
struct OpenLog {
    ~OpenLog() { Close(); }
    bool IsOpen() const { return file != INVALID_HANDLE_VALUE; }
    void Close() {
        if (IsOpen()) CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
    }
    HANDLE file = INVALID_HANDLE_VALUE;
    wchar_t path[MAX_PATH] = L"";
};

OpenLog& TheLog() {
    static OpenLog log;
    return log;
}

}  // namespace

void WriteLog(const char* text, unsigned level) {
    if (level > g_nLogLevel) return;
    wchar_t path[MAX_PATH];
    if (!ProgramPathW(path, kLogName)) return;
    OpenLog& log = TheLog();
    if (!log.IsOpen() || std::wcscmp(path, log.path) != 0) {
        // A second instance (a refused start, a "-exit" run) appends through a handle of its own:
        // append-only handles shared for reading, writing and deletion, and one write per entry,
        // keep the entries of both whole.
        log.Close();
        log.file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (!log.IsOpen()) return;
        std::wcscpy(log.path, path);
    }
    // Line ends are CR LF.
    std::string entry = "\r\nLevel " + std::to_string(level) + " - " + text + "\r\n";
    DWORD written = 0;
    WriteFile(log.file, entry.data(), static_cast<DWORD>(entry.size()), &written, nullptr);
}

void WriteLogFormat(unsigned level, const char* format, ...) {
    if (level > g_nLogLevel) return;
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    WriteLog(text, level);
}

void DeleteLog() {
    CloseLog();
    wchar_t path[MAX_PATH];
    if (ProgramPathW(path, kLogName)) DeleteFileW(path);
}

void CloseLog() { TheLog().Close(); }
