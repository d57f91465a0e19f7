#include "ClipboardFixture.h"

#include <cstdio>
#include <cstring>

#include "framework/Handles.h"
#include "support/Pump.h"

bool OpenWithRetry(HWND owner) {
    return PumpUntil([owner] { return OpenClipboard(owner) != FALSE; }, 5000);
}

bool FillClipboard(const std::vector<std::pair<UINT, std::string>>& formats) {
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

std::string ClipboardBytes(UINT format) {
    if (!OpenWithRetry()) return "<none>";
    std::string bytes = "<none>";
    if (HANDLE block = GetClipboardData(format)) {
        GlobalLockGuard lock(block);
        if (lock.Data()) bytes.assign(static_cast<const char*>(lock.Data()), lock.Size());
    }
    CloseClipboard();
    return bytes;
}

std::string Utf16Bytes(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t));
}

bool PutTextOnClipboard(const std::string& text) { return FillClipboard({{CF_TEXT, text + '\0'}}); }

std::string ClipboardText() {
    std::string bytes = ClipboardBytes(CF_TEXT);
    return bytes == "<none>" ? bytes : bytes.c_str();
}

bool ClearClipboard() {
    if (!OpenWithRetry()) return false;
    bool ok = EmptyClipboard() != FALSE;
    CloseClipboard();
    return ok;
}

std::string TypeValue(UINT format) {
    char value[16];
    std::snprintf(value, sizeof value, "0x%X", format);
    return value;
}

UINT RichTextId() { return RegisterClipboardFormatA("Rich Text Format"); }
