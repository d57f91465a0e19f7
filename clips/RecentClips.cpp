#include "RecentClips.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "base/Log.h"
#include "base/ProgramFolder.h"
#include "clips/Clipboard.h"
#include "clips/DataFiles.h"
#include "clips/Favorites.h"
#include "clips/TypeIndex.h"
#include "res/resource.h"

std::vector<std::unique_ptr<CLIP_STR>> RecentClip;
void (*g_pAcceptedClipHook)(const ClipboardClip&) = nullptr;
std::function<void(const std::wstring& folder)> g_RecentClipNotStoredHook;

namespace {

const UINT kRecentHotkeyBase = 0x300;
const char kWriteFailure[] = "Couldn't create the file (WRITE)!";
// While a capture moves the list down, the new clip waits under one name and the file leaving
// position `from` under the other; both are shorter than any data file's own name.
const char kIncomingName[] = "RECENT\\RECCLIP.TMP";
const char kOutgoingName[] = "RECENT\\RECCLIP.OLD";
const int kLast = kRecentPositions;

// What each position on disk holds as far as this run knows: its Save.ini entry and the clip of
// the list whose bytes its file holds. An entry without a clip is one whose file could not be read
// at start-up, or one of a clip that has left the list since; it stays on disk untouched until a
// shift moves it out. The clips of the list on disk are its oldest, in order; the newer ones wait
// for the disk to take them.
struct DiskList {
    RecentIndexEntry index[kRecentPositions];
    const CLIP_STR* clip[kRecentPositions] = {};
    // Every entry is to be emptied (CLEAR ALL) before anything is stored, and Save.ini has not taken it yet.
    bool emptying = false;

    bool Used(int p) const { return index[p - 1].type != 0; }
    int Top() const {
        for (int p = kLast; p >= 1; --p)
            if (Used(p)) return p;
        return 0;
    }
    void Set(int p, const RecentIndexEntry& entry, const CLIP_STR* stored) {
        index[p - 1] = entry;
        clip[p - 1] = stored;
    }
    void Copy(int to, const DiskList& from, int p) { Set(to, from.index[p - 1], from.clip[p - 1]); }
    bool SameIndex(const DiskList& other) const {
        for (int i = 0; i < kRecentPositions; ++i)
            if (index[i].type != other.index[i].type || std::strcmp(index[i].caption, other.index[i].caption) != 0)
                return false;
        return true;
    }
};
DiskList g_disk;

std::string FileAt(int position) { return RecentClipFileName(position); }

// A clip the disk did not take stays listed for this run only: the program is told, with the folder.
void TellNotStored() {
    if (!g_RecentClipNotStoredHook) return;
    wchar_t folder[MAX_PATH];
    g_RecentClipNotStoredHook(ProgramPathW(folder, "RECENT") ? folder : L"RECENT");
}

void NotStored(const std::string& name) {
    LogWriteFailure(kWriteFailure, name);
    TellNotStored();
}

RecentIndexEntry EntryOf(const CLIP_STR& clip) {
    RecentIndexEntry entry;
    entry.type = clip.type;
    std::strcpy(entry.caption, clip.caption);
    return entry;
}

// The clip shown in slot n (1 = newest), or null beyond the list.
const CLIP_STR* ClipInSlot(std::size_t slot) {
    if (slot < 1 || slot > RecentClip.size()) return nullptr;
    return RecentClip[RecentClip.size() - slot].get();
}

bool s_saving = false;  // a save is under way

// The clipboard state the last capture dealt with. The notifications of a burst of copies arrive
// long after the copies; one for a state already read is not captured again.
std::optional<DWORD> s_capturedSequence;

// Whether the clipboard holds, as a capture would keep it, a recent clip or a favourite of the current project.
bool HoldsAStoredClip(const ClipboardClip& read) {
    const auto clip = std::make_unique<CLIP_STR>(read.format, read.bytes.data(), nullptr, read.bytes.size());
    for (const auto& stored : RecentClip)
        if (stored->type == clip->type && stored->size == clip->size &&
            std::memcmp(stored->buf, clip->buf, clip->size) == 0)
            return true;
    return IsCurrentFavorite(clip->type, clip->buf, clip->size);
}

// How many clips at the start of the list are stored on disk (the rest are not yet), or -1 when the
// list no longer matches what was stored.
int StoredClipCount() {
    std::size_t count = 0;
    for (const CLIP_STR* stored : g_disk.clip) {
        if (!stored) continue;
        if (count >= RecentClip.size() || RecentClip[count].get() != stored) return -1;
        ++count;
    }
    return static_cast<int>(count);
}

// A list with room after its last position takes the new clip there: file first, then its entry,
// so the entry never names bytes that are not there.
bool StoreAt(int position, const CLIP_STR& clip) {
    if (!WriteFreshFile(kIncomingName, clip.buf, clip.size) || !MoveClipFile(kIncomingName, FileAt(position))) {
        DeleteClipFile(kIncomingName);
        NotStored(FileAt(position));
        return false;
    }
    DiskList next = g_disk;
    next.Set(position, EntryOf(clip), &clip);
    if (!WriteRecentIndex(next.index, 0)) return false;
    g_disk = next;
    return true;
}

// The first of positions from..10 that lacks its file, or 0.
int FirstMissingFile(int from) {
    for (int p = from; p <= kLast; ++p)
        if (!ClipFileExists(FileAt(p))) return p;
    return 0;
}

// Moves the files of positions from+1..10 down one position and the incoming clip into position
// 10; the file of `from` waits under the outgoing name (an empty one when it had none), which the
// caller deletes once the shift mark is gone: until then it tells a finished shift from one whose
// files were put back. At every moment exactly one of positions from..10 lacks its file, so a start
// that finds a shift under way (`resuming`) goes on from that position. On failure names the file
// that could not be moved.
bool CompleteShift(int from, bool resuming, std::string& failed) {
    int missing = resuming ? FirstMissingFile(from) : 0;
    if (!missing) {
        if (resuming && !ClipFileExists(kIncomingName)) return true;  // all moved
        const bool moved = ClipFileExists(FileAt(from)) ? MoveClipFile(FileAt(from), kOutgoingName)
                                                        : WriteFreshFile(kOutgoingName, "", 0);
        if (!moved) {
            failed = FileAt(from);
            return false;
        }
        missing = from;
    }
    for (int p = missing; p < kLast; ++p) {
        if (!MoveClipFile(FileAt(p + 1), FileAt(p))) {
            failed = FileAt(p + 1);
            return false;
        }
    }
    if (!MoveClipFile(kIncomingName, FileAt(kLast))) {
        failed = FileAt(kLast);
        return false;
    }
    return true;
}

// Puts the files back where they were before a shift that could not complete.
void UndoShift(int from) {
    const int missing = FirstMissingFile(from);
    for (int p = missing - 1; missing && p >= from; --p) MoveClipFile(FileAt(p), FileAt(p + 1));
    if (ClipFileExists(kOutgoingName)) MoveClipFile(kOutgoingName, FileAt(from));
}

// A full list takes the new clip at position 10 by moving the files down (renames, no rewrites):
// from the highest empty position, or from position 1, whose clip then leaves the list (`dropped`).
bool ShiftIn(const CLIP_STR& clip, const CLIP_STR*& dropped) {
    int from = 1;
    for (int p = kLast - 1; p >= 1 && from == 1; --p)
        if (!g_disk.Used(p)) from = p;
    DiskList next = g_disk;
    for (int p = from; p < kLast; ++p) next.Copy(p, g_disk, p + 1);
    next.Set(kLast, EntryOf(clip), &clip);

    if (!WriteFreshFile(kIncomingName, clip.buf, clip.size)) {
        DeleteClipFile(kIncomingName);
        NotStored(FileAt(kLast));
        return false;
    }
    // When no entry changes, every moment of the shift pairs each file with its right entry. Else
    // the new entries go first, marked as a shift under way, and a start after a crash completes it.
    const bool entriesChange = !next.SameIndex(g_disk);
    if (entriesChange && !WriteRecentIndex(next.index, from)) {
        DeleteClipFile(kIncomingName);
        return false;
    }
    std::string failed;
    if (!CompleteShift(from, false, failed)) {
        NotStored(failed);
        UndoShift(from);
        // The incoming file goes once the entries describe the files again; should they not, the
        // next start completes the shift they describe.
        if (!entriesChange || WriteRecentIndex(g_disk.index, 0)) DeleteClipFile(kIncomingName);
        return false;
    }
    dropped = from == 1 ? g_disk.clip[0] : nullptr;
    g_disk = next;
    if (!entriesChange || WriteRecentIndex(g_disk.index, 0)) DeleteClipFile(kOutgoingName);
    return true;
}

// With nothing new to store (the save at exit), puts back what was taken away behind the
// program's back: a stored clip's missing file, then any entry that no longer reads right.
void RestoreStoredClips() {
    for (int p = 1; p <= kLast; ++p) {
        const CLIP_STR* clip = g_disk.clip[p - 1];
        if (clip && !ClipFileExists(FileAt(p))) WriteClipFile(FileAt(p), clip->buf, clip->size, kWriteFailure);
    }
    WriteRecentIndex(g_disk.index, 0);
}

void Forget(const CLIP_STR* clip) {
    auto found = std::find_if(RecentClip.begin(), RecentClip.end(), [&](const auto& c) { return c.get() == clip; });
    if (found != RecentClip.end()) RecentClip.erase(found);
}

// The list keeps the ten newest clips. The bytes of one that leaves stay on disk, as no clip of the
// list's, until a shift moves them out.
void DropOldestBeyondTen() {
    while (RecentClip.size() > kRecentClipCount) {
        for (const CLIP_STR*& stored : g_disk.clip)
            if (stored == RecentClip.front().get()) stored = nullptr;
        RecentClip.erase(RecentClip.begin());
    }
}

// Empties every entry; the files stay. Until Save.ini takes it, the disk holds what it held and
// nothing is stored; true once done.
bool EmptyDisk() {
    for (const CLIP_STR*& stored : g_disk.clip) stored = nullptr;
    g_disk.emptying = !WriteRecentIndex(DiskList{}.index, 0);
    if (!g_disk.emptying) g_disk = DiskList{};
    return !g_disk.emptying;
}

// Finishes what a crash interrupted. With the shift mark in Save.ini the entries already describe
// the shifted list, so the files follow them; entries whose files could not follow are emptied, and
// so are those of a shift whose files were put back (no hole, neither the incoming nor the outgoing
// file): nothing then tells whose bytes each file holds. Without the mark the entries still describe
// the files, and the clip that was coming in is dropped.
void FinishInterruptedCapture() {
    const int from = RecentShiftInProgress();
    if (from >= 1 && from <= kLast) {
        std::string failed;
        int vouched = kLast;
        if (!FirstMissingFile(from) && !ClipFileExists(kIncomingName) && !ClipFileExists(kOutgoingName)) {
            WriteLog("Recent clips of an unfinished shift dropped", 0);
            vouched = from - 1;
        } else if (!CompleteShift(from, true, failed)) {
            // The files follow the entries up to the hole; without one none has moved.
            NotStored(failed);
            const int missing = FirstMissingFile(from);
            vouched = (missing ? missing : from) - 1;
        }
        if (!EndRecentShift(vouched)) return;  // the next start finds the same files and mark
    }
    DeleteClipFile(kIncomingName);
    DeleteClipFile(kOutgoingName);
}

// Moves one clip's file down into an empty position. Each step leaves every entry naming either
// its own bytes or a missing file, which a load skips.
bool MoveDown(int from, int to) {
    DeleteClipFile(FileAt(to));
    DiskList next = g_disk;
    next.Copy(to, g_disk, from);
    if (!WriteRecentIndex(next.index, 0)) return false;
    if (!MoveClipFile(FileAt(from), FileAt(to))) {
        NotStored(FileAt(from));
        WriteRecentIndex(g_disk.index, 0);
        return false;
    }
    next.Set(from, RecentIndexEntry{}, nullptr);
    g_disk = next;
    return WriteRecentIndex(g_disk.index, 0);
}

// Closes up the positions a load found empty, so the list lies in positions 1 upwards.
void CloseUpGaps() {
    int target = 1;
    for (int p = 1; p <= kLast; ++p) {
        if (!g_disk.Used(p)) continue;
        if (p != target && !MoveDown(p, target)) return;
        ++target;
    }
}

// Stores the clips of the list that the disk lacks, keeping the ten newest.
void StoreWhatTheDiskLacks() {
    DropOldestBeyondTen();
    // A list emptied, or replaced as a whole, is stored afresh once the old entries are gone.
    if ((g_disk.emptying || StoredClipCount() < 0) && !EmptyDisk()) return;
    const std::size_t stored = static_cast<std::size_t>(StoredClipCount());
    if (stored == RecentClip.size()) {
        RestoreStoredClips();
        return;
    }
    for (std::size_t i = stored; i < RecentClip.size();) {
        const CLIP_STR& clip = *RecentClip[i];
        const CLIP_STR* dropped = nullptr;
        // A clip the disk cannot take stays listed for this run, and so do the newer ones; no entry
        // names them, and a later save (the next capture, the exit) stores them from there.
        if (!DataFilePathsFit()) {
            TellNotStored();
            return;
        }
        if (!(g_disk.Top() < kLast ? StoreAt(g_disk.Top() + 1, clip) : ShiftIn(clip, dropped))) return;
        if (dropped) {
            Forget(dropped);
            continue;  // the list moved up by one under i
        }
        ++i;
    }
}

}  // namespace

int GetRecentClip(CMenu& menu, bool joiningChain) {
    LogKeptOpen log;
    WriteLog("GetRecentClip started", 0);
    ClipboardWork capturing;
    const DWORD sequence = GetClipboardSequenceNumber();
    if (s_capturedSequence == sequence) {
        WriteLog("Clipboard already captured", 0);
        return 1;
    }
    ClipboardClip read;
    const ClipboardRead result = ReadClipboardClipAndLog(read);
    switch (result) {
    case ClipboardRead::Empty:
    case ClipboardRead::NotOpened:
    case ClipboardRead::GivenUp:
        return 1;
    case ClipboardRead::Excluded:
        // Private content (a password, say) leaves the list, its files and the menu as they were.
        s_capturedSequence = read.sequence;
        return 1;
    case ClipboardRead::TimedOut:
        s_capturedSequence = sequence;
        return 1;
    case ClipboardRead::NotDelivered:
    case ClipboardRead::Done:
        break;
    }
    if (s_capturedSequence == read.sequence) {
        WriteLog("Clipboard already captured", 0);
        return 1;
    }
    s_capturedSequence = read.sequence;
    if (result == ClipboardRead::Done) {
        WriteLogFormat(0, "GlobalSize = %d  TYPE = %d", static_cast<int>(read.blockSize), static_cast<int>(read.format));
        if (read.bytes.empty()) {
            WriteLog("Buf Size too large", 0);
        } else if (joiningChain && (read.programsPut || HoldsAStoredClip(read))) {
            // A start finds the clipboard as the last run left it: holding a clip it captured or put there.
            WriteLog("Clipboard holds a stored clip", 0);
        } else {
            if (g_pAcceptedClipHook) g_pAcceptedClipHook(read);
            char caption[kCaptionSize] = "";
            TakeRichTextCaption(read, caption);
            RecentClip.push_back(std::make_unique<CLIP_STR>(read.format, read.bytes.data(), caption, read.bytes.size()));
        }
    }
    WriteLog("PutRecentClip OK", 0);
    SaveRecentClips();
    RedrawMenuRecent(menu);
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
    // A capture before the put may push the slot's clip out of the list: the put keeps its own copy.
    const UINT type = clip->type;
    const std::vector<char> bytes(clip->buf, clip->buf + clip->size);
    if (!PutClipAndLog(type, bytes.data(), bytes.size())) return 1;
    WriteLog("PutRecentClip OK", 0);
    return 0;
}

void SaveRecentClips() {
    WriteLog("SaveRecentClips started", 0);
    // One asked for inside another (the end of the session, while that one tells of a clip the disk did not take)
    // leaves the work to it.
    if (s_saving) return;
    ClipboardWork saving;
    s_saving = true;
    StoreWhatTheDiskLacks();
    s_saving = false;
}

void LoadRecentClips() {
    WriteLog("LoadRecentClips started", 0);
    ClipboardWork saving;
    RecentClip.clear();
    g_disk = DiskList{};
    if (!DataFilePathsFit()) WriteLog("Installation path too long: clips can't be saved", 0);
    FinishInterruptedCapture();
    // One zero-filled buffer for all ten files; the 249999-byte cap keeps a NUL after any text.
    auto bytes = std::make_unique<char[]>(kClipBufferSize);
    for (int position = 1; position <= kLast; ++position) {
        RecentIndexEntry entry;
        entry.type = GetClipType(position, entry.caption, true);
        if (entry.type == 0) continue;
        long count = ReadClipFile(FileAt(position), bytes.get(), OpenMode::ExistingOnly);
        if (count == kClipFileMissing) continue;
        if (count == kClipFileUnreadable) {
            g_disk.Set(position, entry, nullptr);  // kept on disk, out of the list
            continue;
        }
        RecentClip.push_back(
            std::make_unique<CLIP_STR>(entry.type, bytes.get(), entry.caption, static_cast<std::size_t>(count)));
        g_disk.Set(position, EntryOf(*RecentClip.back()), RecentClip.back().get());
    }
    CloseUpGaps();
    // Entries of missing files and past the list become 0x0; nothing is written when all is right.
    WriteRecentIndex(g_disk.index, 0);
}

void RedrawMenuRecent(CMenu& menu) {
    WriteLog("RedrawMenuRecent started", 0);
    for (int slot = 1; slot <= static_cast<int>(kRecentClipCount); ++slot) {
        const CLIP_STR* clip = ClipInSlot(slot);
        const std::string name = SlotName(g_pRecentSlotName, slot);
        std::wstring caption =
            clip ? ClipMenuCaption(name, clip->type, clip->buf, clip->size, clip->caption, CaptionStyle::RecentItem)
                 : ClipMenuCaption(name, 0, nullptr, 0, nullptr, CaptionStyle::RecentItem);
        UINT id = ID_RECENT_FIRST + slot - 1;
        menu.ModifyMenu(id, MF_BYCOMMAND | MF_STRING, id, caption);
    }
}

void ClearRecentClips(CMenu& menu) {
    WriteLog("OnRecentClear started", 0);
    // Entries Save.ini cannot take now are emptied by the next save, before it stores anything.
    EmptyDisk();
    RecentClip.clear();
    RecentClip.shrink_to_fit();
    RedrawMenuRecent(menu);
}
