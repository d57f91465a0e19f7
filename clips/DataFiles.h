#pragma once
#include <cstddef>
#include <string>

// Data files hold one clip's raw bytes and nothing else. Names are relative to the program folder.
std::string RecentClipFileName(int position);             // "RECENT\RECCLIP<position>.DAT"
std::string FavoriteClipFileName(char project, int slot);  // "FAVORITE\<project>CLIPB<slot>.DAT"

// Where new bytes wait beside the file they are to replace: its name ending in .TMP, never longer.
std::string IncomingClipFileName(const std::string& name);

// Replaces the file's content with the bytes. The new content is written beside it first, under its
// incoming name, and then moved over it, so a failure never destroys the last good copy. On failure
// logs `failureMessage` and the file's path, and returns false.
bool WriteClipFile(const std::string& name, const void* bytes, std::size_t count, const char* failureMessage);

// Creates (or replaces) the file with the bytes and flushes them to the disk; false on failure.
// Another program holding the file for a moment is waited for, as Save.ini's writes wait.
bool WriteFreshFile(const std::string& name, const void* bytes, std::size_t count);

// Renames a file, replacing the one it is renamed to, and waits until the rename is on the disk.
// Another program holding either file for a moment is waited for.
bool MoveClipFile(const std::string& from, const std::string& to);
bool ClipFileExists(const std::string& name);
void DeleteClipFile(const std::string& name);

// Logs a data file that could not be created: the message, then the path (or the name when no
// path fits).
void LogWriteFailure(const char* message, const std::string& name);

// False when the program folder is so long that the paths of the data files do not fit MAX_PATH.
bool DataFilePathsFit();

// How a read treats a missing file: as a failure, as a new empty file, or as empty (made by no one).
enum class OpenMode { ExistingOnly, CreateIfMissing, MissingIsEmpty };

constexpr std::size_t kMaxClipFileRead = 249999;

// Read results below zero: the file does not exist, or it exists but could not be read.
constexpr long kClipFileMissing = -1;
constexpr long kClipFileUnreadable = -2;

// Reads at most 249999 bytes into `buffer` (which the caller zero-fills, so text ends in a NUL).
// Returns the count read, or a failure above; each failure is logged with the file's path.
long ReadClipFile(const std::string& name, char* buffer, OpenMode mode);
