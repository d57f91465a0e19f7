#include "RecentClips.h"

#include <cstring>

#include "base/Log.h"
#include "clips/Clipboard.h"
#include "clips/DataFiles.h"
#include "clips/TypeIndex.h"
#include "res/resource.h"

std::vector<std::unique_ptr<CLIP_STR>> RecentClip;

namespace {

const UINT kRecentHotkeyBase = 0x300;

// The clip shown in slot n (1 = newest), or null beyond the list.
const CLIP_STR* ClipInSlot(std::size_t slot) {
    if (slot < 1 || slot > RecentClip.size()) return nullptr;
    return RecentClip[RecentClip.size() - slot].get();
}

}  // namespace

void ReadRichTextCaption(char (&caption)[kCaptionSize]) {
    GlobalBlock text = GetClipBlock(CF_TEXT);
    GlobalLockGuard lock(text.Get());
    if (!lock.Data()) return;
    TakeCaption(caption, static_cast<const char*>(lock.Data()), lock.Size());
    WriteLogFormat(0, "Rich text GlobalSize = %d", static_cast<int>(lock.Size()));
}

int GetRecentClip(CMenu& menu) {
    WriteLog("GetRecentClip started", 0);
    UINT format = ChooseClipFormat();
    if (format == 0) {
        WriteLog("Clipboard is empty", 0);
        return 1;
    }
    GlobalBlock block = GetClipBlock(format);
    if (block) {
        GlobalLockGuard lock(block.Get());
        // A block that cannot be locked has no bytes to read: nothing is stored.
        if (lock.Data()) {
            SIZE_T size = lock.Size();
            WriteLogFormat(0, "GlobalSize = %d  TYPE = %d", static_cast<int>(size), static_cast<int>(format));
            if (size == 0 || size >= kClipBufferSize) {
                WriteLog("Buf Size too large", 0);
            } else {
                char caption[kCaptionSize] = "";
                if (format == g_nRichTextFormat) ReadRichTextCaption(caption);
                auto clip = std::make_unique<CLIP_STR>(format, lock.Data(), caption, size);
                if (RecentClip.size() >= kRecentClipCount) RecentClip.erase(RecentClip.begin());
                RecentClip.push_back(std::move(clip));
            }
        }
    }
    WriteLog("PutRecentClip OK", 0);
    RedrawMenuRecent(menu);
    SaveRecentClips();
    return 0;
}

int PutRecentClip(UINT id) {
    WriteLog("PutRecentClip start", 0);
    std::size_t slot = id - kRecentHotkeyBase;
    if (RecentClip.empty()) {
        WriteLog("RecentClip.size =0", 0);
        return 1;
    }
    const CLIP_STR* clip = ClipInSlot(slot);
    if (!clip) {
        WriteLog("Try to get unavailable clipboard", 0);
        return 1;
    }
    if (clip->size == 0) {
        WriteLog("Clipboard favorite clip empty", 0);
        return 1;
    }
    switch (SetClipboardClip(clip->type, clip->buf, clip->size)) {
    case ClipboardWrite::NotOpened:
        WriteLog("OpenClipboard error", 0);
        return 1;
    case ClipboardWrite::NoMemory:
        WriteLog("GlobalAlloc error", 0);
        return 1;
    case ClipboardWrite::Done:
        break;
    }
    WriteLog("PutRecentClip OK", 0);
    return 0;
}

void SaveRecentClips() {
    WriteLog("SaveRecentClips started", 0);
    for (std::size_t i = 0; i < RecentClip.size(); ++i) {
        const CLIP_STR& clip = *RecentClip[i];
        int position = static_cast<int>(i + 1);
        if (clip.type != 0)
            WriteClipFile(RecentClipFileName(position), clip.buf, clip.size, "Couldn't create the file (WRITE)!");
        SetClipType(position, clip.type, clip.caption, true);
    }
}

void LoadRecentClips() {
    WriteLog("LoadRecentClips started", 0);
    RecentClip.clear();
    // One zero-filled buffer for all ten files; the 249999-byte cap keeps a NUL after any text.
    auto bytes = std::make_unique<char[]>(kClipBufferSize);
    for (int position = 1; position <= static_cast<int>(kRecentClipCount); ++position) {
        char caption[kCaptionSize] = "";
        UINT type = GetClipType(position, caption, true);
        if (type == 0) continue;
        long count = ReadClipFile(RecentClipFileName(position), bytes.get(), OpenMode::ExistingOnly);
        if (count < 0) continue;
        RecentClip.push_back(std::make_unique<CLIP_STR>(type, bytes.get(), caption, static_cast<std::size_t>(count)));
    }
}

void RedrawMenuRecent(CMenu& menu) {
    WriteLog("RedrawMenuRecent started", 0);
    for (int slot = 1; slot <= static_cast<int>(kRecentClipCount); ++slot) {
        const CLIP_STR* clip = ClipInSlot(slot);
        std::string caption = clip ? ClipMenuCaption("Ctl", slot, clip->type, clip->buf, clip->size, clip->caption,
                                                     CaptionStyle::RecentItem)
                                   : ClipMenuCaption("Ctl", slot, 0, nullptr, 0, nullptr, CaptionStyle::RecentItem);
        UINT id = ID_RECENT_FIRST + slot - 1;
        menu.ModifyMenu(id, MF_BYCOMMAND | MF_STRING, id, caption.c_str());
    }
}

void ClearRecentClips(CMenu& menu) {
    WriteLog("OnRecentClear started", 0);
    RecentClip.clear();
    RecentClip.shrink_to_fit();
    for (int position = 1; position <= static_cast<int>(kRecentClipCount); ++position)
        SetClipType(position, 0, nullptr, true);
    RedrawMenuRecent(menu);
}
