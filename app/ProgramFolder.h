#pragma once
#include <windows.h>

// Every file of the program lives in the folder of the executable.
// Builds "<that folder>\<name>" into out; false (out empty) when the path would not fit MAX_PATH.
bool ProgramPath(char (&out)[MAX_PATH], const char* name);

// The same with a formatted name, e.g. ProgramPathFormat(path, "RECENT\\RECCLIP%d.DAT", 3).
bool ProgramPathFormat(char (&out)[MAX_PATH], const char* format, ...);

// Tests run the program's files in a temporary folder; an empty or null folder restores the real one.
void SetProgramFolderForTests(const char* folder);
