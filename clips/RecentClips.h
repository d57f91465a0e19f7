#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "clips/ClipRecord.h"
#include "clips/Clipboard.h"
#include "framework/Menu.h"

// The ten newest clipboard contents, oldest first. Position p (1 = oldest) names the file and the
// Save.ini keys; slot n (1 = newest) is what the user sees: menu item and Ctrl+digit.
extern std::vector<std::unique_ptr<CLIP_STR>> RecentClip;

constexpr std::size_t kRecentClipCount = 10;

// Runs for every clip the capture accepts, just before it is stored, with what was read from the
// clipboard (its plain text too); the program sets it.
extern void (*g_pAcceptedClipHook)(const ClipboardClip& read);

// Captures the clipboard as the newest recent clip, then redraws the Recents items and saves the
// list. The notification that joining the viewer chain brings adds nothing when the clipboard holds
// the newest clip. Returns 1 when the clipboard holds no accepted format, else 0.
int GetRecentClip(CMenu& menu, bool joiningChain = false);

// Puts recent slot (id - 0x300) on the clipboard. 0 when it is there, 1 on failure.
int PutRecentClip(UINT id);

// Writes every clip of the list to its data file and its type and caption to Save.ini.
void SaveRecentClips();

// Rebuilds the list from the data files and Save.ini; missing entries close up.
void LoadRecentClips();

// Sets the ten Recents items to their clips' captions.
void RedrawMenuRecent(CMenu& menu);

// The clipboard's plain-text part of a rich-text clip, cleaned for its caption; empty when there
// is none.

// Empties the list and resets its Save.ini entries; the data files stay on disk.
void ClearRecentClips(CMenu& menu);
