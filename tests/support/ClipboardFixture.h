#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// Fills the real clipboard with the given formats, in order; each entry is (format, bytes).
// Returns false if the clipboard could not be written.
bool FillClipboard(const std::vector<std::pair<UINT, std::string>>& formats);

// The bytes the clipboard holds for a format (whole block), or "<none>".
std::string ClipboardBytes(UINT format);

// Empties the clipboard.
void ClearClipboard();

// The text of a menu item by command id.
std::string MenuText(HMENU menu, UINT id);

// The registered id of "Rich Text Format" in this session.
UINT RichTextId();
