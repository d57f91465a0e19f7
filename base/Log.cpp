#include "Log.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <string>

#include "ProgramFolder.h"
#include "framework/Handles.h"

unsigned g_nLogLevel = 0;

namespace {
const char kLogName[] = "Clip.log";

// The thread whose LogKeptOpen lasts (0: none), how deep they nest, and the handle they share, opened
// at their first entry.
std::atomic<DWORD> s_keepingThread{0};
int s_keepDepth = 0;
FileHandle s_keptLog;

// A second instance (a refused start, a "-exit" run) may append at the same moment: an append-only handle
// and one write per entry keep the entries of both whole.
HANDLE OpenLog(const wchar_t* path) {
    return CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}
}  // namespace

void WriteLog(const char* text, unsigned level) {
    if (level > g_nLogLevel) return;
    wchar_t path[MAX_PATH];
    if (!ProgramPathW(path, kLogName)) return;
    // Line ends are CR LF, those inside the text too.
    std::string entry = "\r\nLevel " + std::to_string(level) + " - ";
    for (const char* c = text; *c; ++c) {
        if (*c == '\n') entry += '\r';
        entry += *c;
    }
    entry += "\r\n";
    // Opened for each entry, so an entry after the user deleted or renamed the log starts a new one; a
    // LogKeptOpen opens it once for the entries of one piece of work.
    const bool kept = s_keepingThread == GetCurrentThreadId();
    if (kept && !s_keptLog.IsValid()) s_keptLog.Reset(OpenLog(path));
    FileHandle own(kept ? INVALID_HANDLE_VALUE : OpenLog(path));
    const FileHandle& file = kept ? s_keptLog : own;
    if (!file.IsValid()) return;
    DWORD written = 0;
    WriteFile(file.Get(), entry.data(), static_cast<DWORD>(entry.size()), &written, nullptr);
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
    if (s_keepingThread == GetCurrentThreadId()) s_keptLog.Close();
    wchar_t path[MAX_PATH];
    if (ProgramPathW(path, kLogName)) DeleteFileW(path);
}

LogKeptOpen::LogKeptOpen() {
    const DWORD thread = GetCurrentThreadId();
    DWORD keeping = 0;
    m_keeps = s_keepingThread.compare_exchange_strong(keeping, thread) || keeping == thread;
    if (m_keeps) ++s_keepDepth;
}

LogKeptOpen::~LogKeptOpen() {
    if (!m_keeps || --s_keepDepth > 0) return;
    s_keptLog.Close();
    s_keepingThread = 0;
}
