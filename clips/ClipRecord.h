#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

constexpr std::size_t kClipBufferSize = 250000;  // a clip of this size or more is never stored
constexpr std::size_t kCaptionSize = 50;
constexpr std::size_t kCaptionLength = 20;  // bytes of text shown in a menu caption
constexpr std::size_t kUnicodeCaptionLength = 10;  // characters of a Unicode text shown in a menu caption
// Most UTF-16 units a Unicode text clip keeps, so that the text and its NUL fit a data file.
constexpr std::size_t kLongestUnicodeText = (kClipBufferSize - 1) / sizeof(wchar_t) - 1;

// One stored clip: the bytes of one clipboard format, the format id (0 = empty) and,
// for rich text, the start of its plain text. About 250 KB: never put one on the stack.
struct CLIP_STR {
    // Text (type 1) and Unicode text (type 0xD) are measured up to their NUL, cut and terminated
    // within the buffer if they have none; other types take `length` bytes. The caption, if given,
    // keeps its first 20 bytes, cleaned.
    CLIP_STR(UINT clipType, const void* source, const char* captionText, std::size_t length);

    char buf[kClipBufferSize];
    DWORD size = 0;
    DWORD type = 0;
    char caption[kCaptionSize];
};

// In place: CR, LF and tab become spaces, then white space is trimmed from both ends.
void CleanCaption(char* text);

// Copies at most the first 20 bytes of a text into a caption buffer and cleans them.
void TakeCaption(char (&caption)[kCaptionSize], const char* text, std::size_t available);

bool IsPictureType(UINT type);

// The UTF-16 text of a Unicode text clip's bytes, up to its NUL or their end, at most `longest` units.
std::wstring UnicodeClipText(const void* bytes, std::size_t size, std::size_t longest = kLongestUnicodeText);

// The text in the ANSI code page; `unchanged` tells whether that holds it exactly (converting it
// back gives the same text), or only with stand-ins for what the code page lacks.
std::string AnsiCodePageText(const std::wstring& text, bool& unchanged);

// Where a caption is shown; the kinds differ in how text and unknown types read.
enum class CaptionStyle { RecentItem, FavoriteSaved, FavoriteRebuilt };

// How the menus name the keys of slot 1 to 10 ("Ctl-1", "Win-3"): the app names them by the keys in force. Without
// a name a slot shows its number alone, as under keys that are off.
using SlotKeysName = std::string (*)(int slot);
extern SlotKeysName g_pRecentSlotName;    // the keys that paste a recent clip
extern SlotKeysName g_pFavoriteSlotName;  // the keys that paste a favourite
std::string SlotName(SlotKeysName name, int slot);

// The tray-menu text of the clip in a slot, named as its hotkey names it ("Ctl-1"): e.g. "Ctl-1 'Hello ...'"
// or "Win-3 <PICTURE>"; wide, since a Unicode text clip shows its own characters. `text` is the clip's bytes
// for text clips, `caption` the stored caption for rich text.
std::wstring ClipMenuCaption(const std::string& slotName, UINT type, const char* text, std::size_t textSize,
                             const char* caption, CaptionStyle style);
