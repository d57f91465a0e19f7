#pragma once

// Entries above this level are not written; nothing changes it.
extern unsigned g_nLogLevel;

// Appends "\r\nLevel <level> - <text>\r\n" to Clip.log beside the executable, every LF of the text as CR LF, in
// one write; the log is opened and closed for each entry. An entry that cannot be written is dropped.
void WriteLog(const char* text, unsigned level);

// Formats the text first (printf style), then writes it as WriteLog does.
void WriteLogFormat(unsigned level, const char* format, ...);

// Removes Clip.log, so that a normal start begins a new log.
void DeleteLog();
