#pragma once
#include <windows.h>

#include <string>

#include "clips/Clipboard.h"

// 1 while append mode is on: the text of every captured clip is then added to ClipAppends.txt
// beside the executable. Set from the registry settings at start and by the Append On/Off command.
extern int AppendMode;

// Adds one entry to ClipAppends.txt, in UTF-8 (without a byte order mark, so ASCII keeps its bytes):
// the text up to its first NUL with every line end stored as CR LF, then CR LF. A file in the ANSI
// code page (an earlier release's, or written by hand) is first made UTF-8, whole. The entry is lost,
// and logged, when the file can't be opened or made UTF-8.
void SaveAppendClip(const std::wstring& text);

// The capture's append step: while append mode is on, appends the plain text the clipboard
// offered with the captured clip, if any, whole.
void AppendClipboardText(const ClipboardClip& read);

// Puts the file's first 249999 bytes on the clipboard as one Unicode text, a character cut there
// left out (a file that is not UTF-8 is read in the ANSI code page): 0 when it is there, 1 when
// nothing was put there (an empty file is created when there is none).
int PutAppendClip();

// Deletes ClipAppends.txt; non-zero when it was deleted.
BOOL DeleteAppendFile();
