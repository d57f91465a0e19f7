#pragma once
#include <windows.h>

#include "clips/ClipRecord.h"

// Save.ini keeps each stored clip's format id and caption: recent clip p under [RECENTS] as
// RECCLIP<p>/CAPTION<p>, favourite n of the current project under [<letter>] as CLIP<n>/CAPTION<n>.

// Writes the type as "0x%X" and the caption, both or neither; a null caption deletes the caption key.
// False (logged "Error save INI!") when Save.ini could not be written.
bool SetClipType(int number, UINT type, const char* caption, bool recent);

// Reads the type (0 when missing or not a number) and, if `caption` is given (50 bytes), the caption; an empty
// entry's caption is empty.
// A stored type above 0xC000 is a rich-text id of some run and reads as this run's rich-text id.
UINT GetClipType(int number, char* caption, bool recent);

// A stored type as Save.ini and Export.ini hold it ("0x%X"): unsigned hexadecimal with an optional 0x,
// read up to the first character that is no hexadecimal digit; text that starts with none gives 0.
UINT ParseClipType(const char* text);

// One recent position's entry: a type of 0 marks a position past the list.
struct RecentIndexEntry {
    UINT type = 0;
    char caption[kCaptionSize] = "";
};
constexpr int kRecentPositions = 10;

// Makes [RECENTS] hold exactly the ten entries, in one write of Save.ini: RECCLIP<p>=0x%X and
// CAPTION<p> for each clip, RECCLIP<p>=0x0 and no caption past the list, and SHIFTING=<from> while
// a shift of the files from that position is under way (0: none). Writes nothing when the section
// already reads so. False (logged "Error save INI!") when Save.ini cannot be written.
bool WriteRecentIndex(const RecentIndexEntry (&entries)[kRecentPositions], int shiftingFrom);

// Ends a shift that a start found under way, in one write: the entries past `lastVouched` become 0x0
// and the shift mark goes. False (logged) when Save.ini cannot be written.
bool EndRecentShift(int lastVouched);

// The position a shift that never finished started from (the SHIFTING key), 0 when there is none.
int RecentShiftInProgress();
