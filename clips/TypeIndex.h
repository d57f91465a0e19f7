#pragma once
#include <windows.h>

// Save.ini keeps each stored clip's format id and caption: recent clip p under [RECENTS] as
// RECCLIP<p>/CAPTION<p>, favourite n of the current project under [<letter>] as CLIP<n>/CAPTION<n>.

// Writes the type as "0x%X" and the caption; a null caption deletes the caption key.
void SetClipType(int number, UINT type, const char* caption, bool recent);

// Reads the type (0 when missing or not a number) and, if `caption` is given (50 bytes), the caption.
// A stored type above 0xC000 is a rich-text id of some run and reads as this run's rich-text id.
UINT GetClipType(int number, char* caption, bool recent);
