#pragma once
#include <windows.h>

// Every file of the program lives in the folder of the executable. Paths are built as UTF-16, so
// the folder may have any name; the names joined to it are ANSI text (the program's own names, a
// project's name), taken from the ANSI code page.

// Builds "<that folder>\<name>" into out; false (out empty) when the path would not fit MAX_PATH.
bool ProgramPathW(wchar_t (&out)[MAX_PATH], const char* name);

// The same with a formatted name, e.g. ProgramPathFormatW(path, "RECENT\\RECCLIP%d.DAT", 3).
bool ProgramPathFormatW(wchar_t (&out)[MAX_PATH], const char* format, ...);

// Tests run the program's files in a temporary folder; an empty or null folder restores the real one.
void SetProgramFolderForTests(const wchar_t* folder);
