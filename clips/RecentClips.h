#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
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

// Runs whenever a save leaves a clip of the list off the disk (it stays listed for this run), with
// the folder it was to go to; the program sets it.
extern std::function<void(const std::wstring& folder)> g_RecentClipNotStoredHook;

// Captures the clipboard as the newest recent clip, then redraws the Recents items and saves the
// list. The notification that joining the viewer chain brings adds nothing when the clipboard holds
// a recent clip or a favourite of the current project. Returns 1 when the clipboard holds no
// accepted format, else 0.
int GetRecentClip(CMenu& menu, bool joiningChain = false);

// Puts recent slot (id - 0x300) on the clipboard. 0 when it is there, 1 on failure.
int PutRecentClip(UINT id);

// Stores the clips of the list that the disk lacks, each to its data file with its type and caption in
// Save.ini, keeping the ten newest. A clip that cannot be stored stays listed for this run.
void SaveRecentClips();

// Rebuilds the list from the data files and Save.ini; missing entries close up.
void LoadRecentClips();

// Sets the ten Recents items to their clips' captions.
void RedrawMenuRecent(CMenu& menu);

// Empties the list and resets its Save.ini entries (at the next save, when Save.ini cannot be written
// now); the data files stay on disk.
void ClearRecentClips(CMenu& menu);
