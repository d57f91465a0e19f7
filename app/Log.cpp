#include "Log.h"

#include <cstdarg>
#include <cstdio>

#include "ProgramFolder.h"

unsigned g_nLogLevel = 0;

namespace {
const char kLogName[] = "Clip.log";
}

void WriteLog(const char* text, unsigned level) {
    if (level > g_nLogLevel) return;
    char path[MAX_PATH];
    if (!ProgramPath(path, kLogName)) return;
    // Text mode: the line ends become CR LF, as a Notepad reader expects.
    FILE* file = std::fopen(path, "at");
    if (!file) return;
    std::fprintf(file, "\nLevel %u - %s\n", level, text);
    std::fclose(file);
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
    char path[MAX_PATH];
    if (ProgramPath(path, kLogName)) DeleteFileA(path);
}
