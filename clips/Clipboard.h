#pragma once
#include <windows.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "clips/ClipRecord.h"

// Clipboard format id of rich text in this run; 0 until FindRichTextFormat has set it.
extern UINT g_nRichTextFormat;

// Nonzero while the program writes the clipboard or waits on it (for a read, or for the copy a
// favourite is to store), or captures and saves recent clips. A change notified meanwhile is taken up
// once that is over, when the clipboard's sequence number tells whether it was the program's own: no
// capture runs inside another, nor inside a save, whose messages to other programs answer those sent back.
extern int g_bSkipClipChange;

// Counts one such piece of work in g_bSkipClipChange while it lasts.
struct ClipboardWork {
    ClipboardWork();
    ~ClipboardWork();
    ClipboardWork(const ClipboardWork&) = delete;
    ClipboardWork& operator=(const ClipboardWork&) = delete;
};

// True while the clipboard holds what the program itself put there or took as a favourite, told by
// the clipboard's sequence number: its change notification is then no copy to capture.
bool IsOwnClipboardContent();

// The content of that sequence number (the copy a favourite read) is the program's own.
void TakeClipboardContentAsOwn(DWORD sequence);

// Makes the program the user types in copy its selection, calling `keysGo` just before it sends the keys;
// false when it sent none.
using SelectionCopy = std::function<bool(const std::function<void()>& keysGo)>;

// Runs `copy` and waits, answering the messages sent to this thread, until the clipboard holds content
// written since the keys went and its writer has closed it, or the time is up. Returns the time left;
// nothing when no keys went.
std::optional<DWORD> CopyAndWaitForChange(const SelectionCopy& copy, DWORD timeoutMs);

// The main window: the clipboard is opened with it as owner, so that what the program puts there
// stays there. Set once at start-up.
void SetClipboardOwnerWindow(HWND window);

// What one read of the clipboard found.
struct ClipboardClip {
    UINT format = 0;              // CF_TEXT, CF_UNICODETEXT, rich text, CF_DIB or CF_ENHMETAFILE; 0: none offered
    std::size_t blockSize = 0;    // the size of the clipboard's block for that format
    std::vector<char> bytes;      // the block's bytes; left empty when blockSize is 0 or too large to store
    bool hasText = false;         // beside a clip of another format, the clipboard offered plain text
    std::size_t textBlockSize = 0;  // the plain text's size as ANSI text (its CF_TEXT block), which the log names
    std::wstring text;            // that text up to its NUL, whole: a rich text's caption, the append file's entry
    DWORD sequence = 0;           // the clipboard's sequence number as it was read
    bool programsPut = false;     // what a put of the program (this run's or an earlier one's) left there
};

// The plain text of what a read found, whole: a text clip's own, or the text offered beside a clip of another format.
std::wstring ClipboardPlainText(const ClipboardClip& read);

// Empty: no stored format offered; NotDelivered: its owner did not hand over the data; Excluded: its
// owner marked the content private (a password manager's), so nothing of it may be stored; GivenUp: the
// session ends (GiveUpClipboardWaits).
enum class ClipboardRead { Done, Empty, NotDelivered, NotOpened, TimedOut, Excluded, GivenUp };

// How long a read waits for the clipboard's data before it gives up: an owner that promised the
// data (delayed rendering) and then hung must not hold up the program.
constexpr DWORD kClipboardReadTimeoutMs = 2000;

// Reads the first format the clipboard offers, in its own order, that the program stores: text, rich
// text, a bitmap or device-independent bitmap (both as CF_DIB bytes) or an enhanced metafile (its
// bits). Text is read in one form: the owner's Unicode text where it put one, else its ANSI text as
// it is; Unicode text that the ANSI code page cannot hold unchanged is kept as CF_UNICODETEXT, up to
// and with its NUL. Content marked private by its owner is not read at all, and the text beside a
// picture only when asked for. The read runs on a reading thread kept for the program's life; this
// thread handles only messages sent to it while it waits, and gives up after
// kClipboardReadTimeoutMs, the late result being dropped and the clipboard closed as soon as the
// owner has handed over what was asked of it. Called from one thread.
ClipboardRead ReadClipboardClip(ClipboardClip& clip, bool textBesidePicture = true);

// True while a ClipboardWork lasts: the program writes or waits on the clipboard, answering the messages
// sent to this thread meanwhile, or captures or saves recent clips.
bool IsClipboardBusy();

// The session ends (its message comes inside such a wait): every wait of the work under way ends at
// once, its read given up; the program it waits on is ending too. Work started afterwards waits again.
void GiveUpClipboardWaits();

// Starts the reading thread ahead of the first read (which would otherwise start it), so that its
// thread and window are made while the rest of the start-up runs.
void StartClipboardReader();

// Ends the reading thread, at the program's exit.
void EndClipboardReader();

// Overtaken: another program wrote the clipboard as the put began (its sequence number moved); the
// clipboard is left as that program put it, its copy not yet captured.
enum class ClipboardWrite { Done, NotOpened, NoMemory, UnknownType, Damaged, Refused, Overtaken };

// Runs when a put was overtaken, before it is tried once more: the program captures the other program's copy,
// as any copy. The program sets it.
extern std::function<void()> g_CaptureBeforePutHook;

// Replaces the clipboard's content by a stored clip. Unicode text goes back as CF_UNICODETEXT, from
// which the clipboard gives CF_TEXT to programs that want it. Rich text comes with its plain text as
// CF_UNICODETEXT; a picture goes back as a picture. Everything is prepared before the clipboard is
// emptied, so a put that cannot succeed (unknown type, damaged bytes, clipboard held by another
// program) leaves it as it was. What it wrote is the program's own (IsOwnClipboardContent).
ClipboardWrite SetClipboardClip(UINT format, const void* bytes, std::size_t count);

// For a rich-text clip, the start of the plain text the clipboard offered with it, cleaned for its
// caption; other clips have none. Logs the plain text's size.
void TakeRichTextCaption(const ClipboardClip& read, char (&caption)[kCaptionSize]);

// ReadClipboardClip, with a log line for each way a read finds nothing to store (nothing for
// NotDelivered, whose owner simply handed over no data).
ClipboardRead ReadClipboardClipAndLog(ClipboardClip& clip, bool textBesidePicture = true);

// SetClipboardClip, with a log line for each way it can fail; true when the clip is on the clipboard. A put
// overtaken is tried once more, after g_CaptureBeforePutHook: `bytes` must outlive that capture.
bool PutClipAndLog(UINT format, const void* bytes, std::size_t count);

// Sets g_nRichTextFormat to the id every program shares for "Rich Text Format", found among the
// registered formats (each met before it logged), or registered when no program has yet.
void FindRichTextFormat();
