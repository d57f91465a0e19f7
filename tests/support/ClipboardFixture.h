#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// Opens the clipboard, waiting while another program (the program under test reading it, say)
// holds it for a moment.
bool OpenWithRetry(HWND owner = nullptr);

// Fills the real clipboard with the given formats, in order; each entry is (format, bytes).
// Returns false if the clipboard could not be written.
bool FillClipboard(const std::vector<std::pair<UINT, std::string>>& formats);

// The bytes the clipboard holds for a format (whole block), or "<none>".
std::string ClipboardBytes(UINT format);

// A text's UTF-16 bytes and its NUL, as CF_UNICODETEXT holds them.
std::string Utf16Bytes(const std::wstring& text);

// Puts a text with its terminating NUL on the clipboard as CF_TEXT alone.
bool PutTextOnClipboard(const std::string& text);

// The clipboard's CF_TEXT up to its NUL, or "<none>".
std::string ClipboardText();

// A clipboard format as Save.ini writes a clip's type ("0x1").
std::string TypeValue(UINT format);

// Empties the clipboard.
bool ClearClipboard();

// The registered id of "Rich Text Format" in this session.
UINT RichTextId();
