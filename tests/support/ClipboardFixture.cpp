#include "ClipboardFixture.h"

#include <cstring>

#include "framework/Handles.h"

namespace {
bool OpenWithRetry() {
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (OpenClipboard(nullptr)) return true;
        Sleep(20);
    }
    return false;
}
}  // namespace

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
    HANDLE block = GetClipboardData(format);
    if (block) {
        GlobalLockGuard lock(block);
        if (lock.Data()) bytes.assign(static_cast<const char*>(lock.Data()), lock.Size());
    }
    CloseClipboard();
    return bytes;
}

void ClearClipboard() {
    if (!OpenWithRetry()) return;
    EmptyClipboard();
    CloseClipboard();
}

std::string MenuText(HMENU menu, UINT id) {
    char text[256] = "";
    GetMenuStringA(menu, id, text, sizeof text, MF_BYCOMMAND);
    return text;
}

UINT RichTextId() { return RegisterClipboardFormatA("Rich Text Format"); }
