#pragma once
#include <string>

#include "projects/Projects.h"

// A project carried to another installation: EXPORT\<name>\Export.ini (section EXP: NAME and the
// keys of the occupied favourite slots) with CLIPB1.DAT to CLIPB10.DAT beside it.

// True when the name can be one folder inside EXPORT: not empty, not "." or "..", no path or
// wildcard characters, no control characters, no trailing dot or space, no device name.
bool IsPlainFolderName(const std::wstring& name);

// Writes the project's export folder with the data files of the slots Save.ini names, replacing what
// an earlier export of the name left there, says so and opens EXPORT in the shell. A name that is no plain folder name, or a failed Export.ini
// write, is reported and ends the export.
void ExportProject(const PRJ_STR& project);

// Creates a project under the next free letter from an Export.ini, with the favourites it holds.
// Only what a project can hold is taken from the file; a slot whose data file cannot be copied (a
// file of 250,000 bytes or more is not) stays empty. True when a project was created.
bool ImportProject(const std::wstring& exportIni);
