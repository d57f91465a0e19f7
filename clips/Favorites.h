#pragma once
#include <windows.h>

#include <cstddef>
#include <functional>

#include "clips/Clipboard.h"
#include "framework/Menu.h"

// Ten favourite slots per project: slot n of the current project is the data file
// FAVORITE\<letter>CLIPB<n>.DAT with its type and caption in the project's Save.ini section, and
// Favorites item n of the tray menu. Nothing is stored while no project is current.

// Why a favourite save stored nothing although there was something to store: the copy was too large,
// not written to disk, or not handed over by its program within the read's time.
enum class FavoriteNotStored { TooLarge, NotWritten, TooLate };
// Runs when a favourite save stores nothing for one of those reasons; the program sets it.
extern std::function<void(FavoriteNotStored why)> g_FavoriteNotStoredHook;

// Stores the selection as favourite (id - 0x100): runs `copySelection` (the injected Ctrl+C) and
// reads the clipboard once it has changed, or after a second. What it read is the program's own
// from then on (IsOwnClipboardContent). 1 when the clipboard holds nothing to store, no project is
// current or `copySelection` sent no keys (nothing is stored then), else 0.
int GetFavClip(UINT id, const SelectionCopy& copySelection, CMenu& menu);

// Puts favourite (id - 0x200) on the clipboard. 0 when it is there, 1 when the slot is empty or
// the clipboard cannot be written; the clipboard then stays as it was.
int PutFavClip(UINT id);

// Whether one of the current project's favourites is stored as these bytes of this type.
bool IsCurrentFavorite(UINT type, const char* bytes, std::size_t size);

// Sets the ten Favorites items to the current project's favourites.
void LoadFavorite(CMenu& menu);
