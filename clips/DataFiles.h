#pragma once
#include <cstddef>
#include <string>

// Data files hold one clip's raw bytes and nothing else. Names are relative to the program folder.
std::string RecentClipFileName(int position);             // "RECENT\RECCLIP<position>.DAT"
std::string FavoriteClipFileName(char project, int slot);  // "FAVORITE\<project>CLIPB<slot>.DAT"

// Replaces the file's content with the bytes. The new content is written beside it first and then
// moved over it, so a failure never destroys the last good copy. On failure logs
// `failureMessage` and the file's path, and returns false.
bool WriteClipFile(const std::string& name, const void* bytes, std::size_t count, const char* failureMessage);

enum class OpenMode { ExistingOnly, CreateIfMissing };

constexpr std::size_t kMaxClipFileRead = 249999;

// Reads at most 249999 bytes into `buffer` (which the caller zero-fills, so text ends in a NUL).
// Returns the count read, or -1 when the file cannot be opened (logged with its path).
long ReadClipFile(const std::string& name, char* buffer, OpenMode mode);
