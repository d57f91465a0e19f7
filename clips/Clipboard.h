#pragma once
#include <windows.h>

#include <cstddef>

#include "framework/Handles.h"

// Clipboard format id of rich text in this run; 0 until FindRichTextFormat has found it.
extern UINT g_nRichTextFormat;

// Set when the program itself changes the clipboard (or is about to copy into it), so the
// change notification that follows is not captured as a new recent clip. Cleared by that notification.
extern int g_bSkipClipChange;

// The first format the clipboard offers, in its own order, that is text, rich text, bitmap,
// device-independent bitmap or enhanced metafile; 0 when there is none.
UINT ChooseClipFormat();

// The bytes of one clipboard format as a global block the caller owns; empty when the clipboard
// does not deliver that format as global memory.
GlobalBlock GetClipBlock(UINT format);

enum class ClipboardWrite { Done, NotOpened, NoMemory };

// With the clipboard already open: replaces its whole content by one format holding the bytes.
// Sets g_bSkipClipChange just before the clipboard changes.
ClipboardWrite ReplaceOpenClipboard(UINT format, const void* bytes, std::size_t count);

// Opens the clipboard, replaces its content by one format holding the bytes, closes it.
ClipboardWrite SetClipboardClip(UINT format, const void* bytes, std::size_t count);

// Looks up the id under which the clipboard knows "Rich Text Format"; logs every named format
// met on the way. Shows a message box when there is none.
void FindRichTextFormat();
