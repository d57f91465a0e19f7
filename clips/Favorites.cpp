#include "Favorites.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/CurrentProject.h"
#include "base/Log.h"
#include "clips/ClipRecord.h"
#include "clips/Clipboard.h"
#include "clips/DataFiles.h"
#include "clips/TypeIndex.h"
#include "res/resource.h"

namespace {

const UINT kSaveHotkeyBase = 0x100;
const UINT kPasteHotkeyBase = 0x200;
const int kFavoriteSlots = 10;
// A text favourite whose file cannot be read shows under a prefix of its own, which no set of keys is
// named by: it tells the slot from one never saved.
const std::string kUnreadablePrefix = "Ctrl-";

void SetFavoriteItem(CMenu& menu, int slot, const std::wstring& caption) {
    UINT item = ID_FAVORITE_FIRST + slot - 1;
    menu.ModifyMenu(item, MF_BYCOMMAND | MF_STRING, item, caption);
}

// A favourite changes whole or not at all: the new bytes wait beside the old file until Save.ini names
// their type, and the old entry is written back when they cannot take the old file's place.
bool StoreFavorite(int slot, UINT type, const std::vector<char>& bytes, const char* caption) {
    const char writeFailure[] = "Couldn't create the file! (WRITE)";
    const std::string file = FavoriteClipFileName(CurrentPrj, slot), incoming = IncomingClipFileName(file);
    if (!WriteFreshFile(incoming, bytes.data(), bytes.size())) {
        DeleteClipFile(incoming);
        LogWriteFailure(writeFailure, file);
        return false;
    }
    char storedCaption[kCaptionSize];
    const UINT storedType = GetClipType(slot, storedCaption, false);
    if (!SetClipType(slot, type, caption, false)) {
        DeleteClipFile(incoming);
        return false;
    }
    if (!MoveClipFile(incoming, file)) {
        DeleteClipFile(incoming);
        LogWriteFailure(writeFailure, file);
        SetClipType(slot, storedType, storedCaption, false);
        return false;
    }
    return true;
}

void TellNotStored(FavoriteNotStored why) {
    if (g_FavoriteNotStoredHook) g_FavoriteNotStoredHook(why);
}

}  // namespace

std::function<void(FavoriteNotStored why)> g_FavoriteNotStoredHook;

int GetFavClip(UINT id, const SelectionCopy& copySelection, CMenu& menu) {
    // The program copied from may answer its Ctrl+C late: it gets a second more than the 200 ms after
    // it. With nothing selected nothing changes, and the clipboard as it is becomes the favourite.
    const DWORD kCopyWaitMs = 1000;
    WriteLog("GetFavClip started", 0);
    // Without a project nothing could be stored: no copy is asked for, which would become a recent clip.
    if (CurrentPrj == 0) {
        WriteLog("No current project", 0);
        return 1;
    }
    // One piece of clipboard work from the copy to the store: a session end inside it gives up all that is left.
    ClipboardWork storing;
    const std::optional<DWORD> copied = CopyAndWaitForChange(copySelection, kCopyWaitMs);
    // The window in front took no keys: the clipboard as it is would be no copy of its selection.
    if (!copied) return 1;
    const DWORD left = *copied;
    ClipboardClip read;
    // A copier that opens the clipboard without a window may still hold it: read again while the wait lasts.
    const DWORD start = GetTickCount();
    ClipboardRead result;
    while ((result = ReadClipboardClipAndLog(read, false)) == ClipboardRead::NotOpened && GetTickCount() - start < left) {
    }
    // What the favourite read is no copy of the user's: its change notification captures nothing. A read
    // given up still holds the clipboard, so the number now is that of what it read.
    if (result != ClipboardRead::NotOpened && result != ClipboardRead::GivenUp)
        TakeClipboardContentAsOwn(result == ClipboardRead::TimedOut ? GetClipboardSequenceNumber() : read.sequence);
    switch (result) {
    case ClipboardRead::Empty:
    case ClipboardRead::Excluded:
    case ClipboardRead::NotOpened:
        return 1;
    case ClipboardRead::TimedOut:
        TellNotStored(FavoriteNotStored::TooLate);
        return 0;
    case ClipboardRead::GivenUp:
    case ClipboardRead::NotDelivered:
        return 0;
    case ClipboardRead::Done:
        break;
    }
    WriteLogFormat(0, "GlobalSize = %d", static_cast<int>(read.blockSize));
    if (read.blockSize >= kClipBufferSize) {
        TellNotStored(FavoriteNotStored::TooLarge);
        return 0;
    }

    char caption[kCaptionSize] = "";
    TakeRichTextCaption(read, caption);
    const int slot = static_cast<int>(id - kSaveHotkeyBase);
    if (!StoreFavorite(slot, read.format, read.bytes, caption)) {
        TellNotStored(FavoriteNotStored::NotWritten);
        return 0;
    }
    SetFavoriteItem(menu, slot,
                    ClipMenuCaption(SlotName(g_pFavoriteSlotName, slot), read.format, read.bytes.data(),
                                    read.bytes.size(), caption, CaptionStyle::FavoriteSaved));
    return 0;
}

int PutFavClip(UINT id) {
    WriteLog("PutFavClip started", 0);
    const int slot = static_cast<int>(id - kPasteHotkeyBase);
    if (CurrentPrj == 0) {
        WriteLog("Clipboard favorite clip empty", 0);
        return 1;
    }
    auto bytes = std::make_unique<char[]>(kClipBufferSize);
    long count = ReadClipFile(FavoriteClipFileName(CurrentPrj, slot), bytes.get(), OpenMode::MissingIsEmpty);
    // A slot without an index entry has no type to put its bytes under: it is empty too.
    UINT type = count > 0 ? GetClipType(slot, nullptr, false) : 0;
    if (type == 0) {
        WriteLog("Clipboard favorite clip empty", 0);
        return 1;
    }
    if (!PutClipAndLog(type, bytes.get(), static_cast<std::size_t>(count))) return 1;
    return 0;
}

bool IsCurrentFavorite(UINT type, const char* bytes, std::size_t size) {
    if (CurrentPrj == 0) return false;
    auto stored = std::make_unique<char[]>(kClipBufferSize);
    for (int slot = 1; slot <= kFavoriteSlots; ++slot) {
        const long count = ReadClipFile(FavoriteClipFileName(CurrentPrj, slot), stored.get(), OpenMode::MissingIsEmpty);
        if (count > 0 && static_cast<std::size_t>(count) == size && std::memcmp(stored.get(), bytes, size) == 0 &&
            GetClipType(slot, nullptr, false) == type)
            return true;
    }
    return false;
}

void LoadFavorite(CMenu& menu) {
    WriteLog("LoadFavorite started", 0);
    auto bytes = std::make_unique<char[]>(kClipBufferSize);
    for (int slot = 1; slot <= kFavoriteSlots; ++slot) {
        char caption[kCaptionSize] = "";
        UINT type = GetClipType(slot, caption, false);
        long count = 0;
        // Only a text favourite's caption needs its file; one that cannot be read shows as empty, under
        // a prefix of its own that tells it from a slot never saved.
        if (type == CF_TEXT || type == CF_UNICODETEXT)
            count = ReadClipFile(FavoriteClipFileName(CurrentPrj, slot), bytes.get(), OpenMode::ExistingOnly);
        const std::size_t size = static_cast<std::size_t>(count);
        SetFavoriteItem(menu, slot,
                        count < 0 ? ClipMenuCaption(kUnreadablePrefix + std::to_string(slot), 0, nullptr, 0, nullptr,
                                                    CaptionStyle::FavoriteRebuilt)
                                  : ClipMenuCaption(SlotName(g_pFavoriteSlotName, slot), type, bytes.get(), size,
                                                    caption, CaptionStyle::FavoriteRebuilt));
    }
}
