#pragma once
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "framework/Handles.h"
#include "support/Pump.h"

// Opens the clipboard, waiting while another program (the program under test reading it, say)
// holds it for a moment.
inline bool OpenWithRetry(HWND owner = nullptr) {
    return PumpUntil([owner] { return OpenClipboard(owner) != FALSE; }, 5000);
}

// Fills the real clipboard with the given formats, in order; each entry is (format, bytes).
// Returns false if the clipboard could not be written.
inline bool FillClipboard(const std::vector<std::pair<UINT, std::string>>& formats) {
    if (!OpenWithRetry()) return false;
    EmptyClipboard();
    bool ok = true;
    for (const auto& [format, bytes] : formats) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        void* data = block ? GlobalLock(block) : nullptr;
        if (!data) {
            ok = false;
            continue;
        }
        std::memcpy(data, bytes.data(), bytes.size());
        GlobalUnlock(block);
        if (!SetClipboardData(format, block)) {
            GlobalFree(block);
            ok = false;
        }
    }
    CloseClipboard();
    return ok;
}

// The bytes the clipboard holds for a format (whole block), or "<none>".
inline std::string ClipboardBytes(UINT format) {
    if (!OpenWithRetry()) return "<none>";
    std::string bytes = "<none>";
    if (HANDLE block = GetClipboardData(format)) {
        GlobalLockGuard lock(block);
        if (lock.Data()) bytes.assign(static_cast<const char*>(lock.Data()), lock.Size());
    }
    CloseClipboard();
    return bytes;
}

// A text's UTF-16 bytes and its NUL, as CF_UNICODETEXT holds them.
inline std::string Utf16Bytes(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t));
}

// Puts a text with its terminating NUL on the clipboard as CF_TEXT alone.
inline bool PutTextOnClipboard(const std::string& text) { return FillClipboard({{CF_TEXT, text + '\0'}}); }

// The clipboard's CF_TEXT up to its NUL, or "<none>".
inline std::string ClipboardText() {
    std::string bytes = ClipboardBytes(CF_TEXT);
    return bytes == "<none>" ? bytes : bytes.c_str();
}

// A clipboard format as Save.ini writes a clip's type ("0x1").
inline std::string TypeValue(UINT format) {
    char value[16];
    std::snprintf(value, sizeof value, "0x%X", format);
    return value;
}

// Empties the clipboard.
inline bool ClearClipboard() {
    if (!OpenWithRetry()) return false;
    bool ok = EmptyClipboard() != FALSE;
    CloseClipboard();
    return ok;
}

// The registered id of "Rich Text Format" in this session.
inline UINT RichTextId() { return RegisterClipboardFormatA("Rich Text Format"); }
