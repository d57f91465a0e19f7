#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "framework/TextConversion.h"

// One value of an INI file (Save.ini, an Export.ini), through the wide private-profile calls so the
// file may lie in any folder; sections, keys and values are the program's ANSI texts.
//
// The private-profile calls rewrite the whole file on every write, so a kill or a power cut in the
// middle would cut it short. A file is therefore never written in place: each change is made on a
// copy beside it (the name with "~<process>.TMP" for its last four characters), flushed, and moved
// over the file. The threads of the process take turns at changes, so no writer's copy replaces
// another's change; one instance runs per folder, so no other process writes the file. The file's
// format and encoding are what the private-profile calls make of them.

// The value, at most 259 characters, or the fallback when the key is missing.
std::string ReadIni(const wchar_t* file, const char* section, const char* key, const char* fallback);

// A null value deletes the key, a null key the whole section. False when the write failed.
bool WriteIni(const wchar_t* file, const char* section, const char* key, const char* value);

// Makes the writes that `change` makes to the copy it is given, all or none: false (the file as it
// was) when the copy could not be made, `change` failed, or the copy could not replace the file.
bool ChangeIni(const wchar_t* file, const std::function<bool(const wchar_t* copy)>& change);

// Removes the copies that changes interrupted by a kill left beside the file; the file is as it was.
void DiscardUnfinishedIniChange(const wchar_t* file);

// Runs `attempt` again while it fails because another program has the file open for a moment (a
// virus scanner, an indexer, a backup): a sharing violation, or access denied, which is what
// replacing a file held open gives. Gives up after about 100 ms, with the last error as it was.
// `attempt` returns false with GetLastError telling why.
bool RetryWhileFileHeld(const std::function<bool()>& attempt);
