#pragma once
#include <windows.h>

#include <cstddef>

#include "clips/Clipboard.h"

// 1 while append mode is on: the text of every captured clip is then added to ClipAppends.txt
// beside the executable. Set from the registry settings at start and by the Append On/Off command.
extern int AppendMode;

// Adds one entry to ClipAppends.txt: the text up to its first NUL (at most size bytes) with every
// line end stored as CR LF, then CR LF. The entry is lost, and logged, when the file can't be opened.
void SaveAppendClip(const char* text, std::size_t size);

// The capture's append step: while append mode is on, appends the plain text the clipboard
// offered with the captured clip, if any.
void AppendClipboardText(const ClipboardClip& read);

// Puts the file's first 249999 bytes on the clipboard as one text: 0 when it is there, 1 when
// nothing was put there (an empty file is created when there is none).
int PutAppendClip();

// Deletes ClipAppends.txt; non-zero when it was deleted.
BOOL DeleteAppendFile();
