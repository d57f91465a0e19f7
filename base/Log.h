#pragma once

// Entries above this level are not written; nothing changes it.
extern unsigned g_nLogLevel;

// Appends "\r\nLevel <level> - <text>\r\n" to Clip.log beside the executable, every LF of the text as CR LF, in
// one write; the log is opened and closed for each entry, or for a LogKeptOpen. An entry that cannot be written is
// dropped.
void WriteLog(const char* text, unsigned level);

// Formats the text first (printf style), then writes it as WriteLog does.
void WriteLogFormat(unsigned level, const char* format, ...);

// Removes Clip.log, so that a normal start begins a new log.
void DeleteLog();

// While one lasts, the entries its thread writes share one opening of the log (made at the first of them and
// closed at its end) instead of one each: a capture writes seven, a start some ninety, and under Wine an open
// costs as much as some thirty writes. Each entry is still written whole, in one write, when WriteLog returns.
// Nested ones share the outermost's; one on another thread meanwhile changes nothing.
class LogKeptOpen {
public:
    LogKeptOpen();
    ~LogKeptOpen();
    LogKeptOpen(const LogKeptOpen&) = delete;
    LogKeptOpen& operator=(const LogKeptOpen&) = delete;

private:
    bool m_keeps;
};
