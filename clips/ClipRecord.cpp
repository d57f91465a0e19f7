#include "ClipRecord.h"

#include <algorithm>
#include <cwctype>
#include <cstring>
#include <mbctype.h>
#include <mbstring.h>

#include "base/Log.h"
#include "framework/TextConversion.h"
#include "clips/Clipboard.h"

namespace {

bool IsSpace(unsigned char c) { return _ismbcspace(c) != 0; }

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// The first ten characters of a Unicode text (a surrogate pair is one), cleaned as CleanCaption does.
std::wstring UnicodeCaption(const char* bytes, std::size_t size) {
    const std::wstring text = UnicodeClipText(bytes, size);
    std::wstring shown;
    for (std::size_t i = 0, characters = 0; i < text.size() && characters < kUnicodeCaptionLength; ++characters) {
        const std::size_t units = IsHighSurrogate(text[i]) && i + 1 < text.size() ? 2 : 1;
        shown.append(text, i, units);
        i += units;
    }
    for (wchar_t& c : shown)
        if (c == L'\r' || c == L'\n' || c == L'\t') c = L' ';
    std::size_t end = shown.size();
    while (end > 0 && iswspace(shown[end - 1])) --end;
    std::size_t start = 0;
    while (start < end && iswspace(shown[start])) ++start;
    return shown.substr(start, end - start);
}

}  // namespace

CLIP_STR::CLIP_STR(UINT clipType, const void* source, const char* captionText, std::size_t length) {
    std::memset(caption, 0, sizeof caption);
    WriteLog("CLIP_STR::CLIP_STR started", 0);
    if (clipType == 0) return;

    const char* bytes = static_cast<const char*>(source);
    if (clipType == CF_UNICODETEXT) {
        WriteLog("Call CLIP_STR::CLIP_STR - TEXT", 0);
        const std::wstring text = UnicodeClipText(source, length);
        size = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
        std::memcpy(buf, text.c_str(), size);
    } else if (clipType == CF_TEXT) {
        WriteLog("Call CLIP_STR::CLIP_STR - TEXT", 0);
        // Measured up to the NUL; a text without one inside its block is cut and terminated here,
        // within the 249999 bytes a data file holds.
        const std::size_t longestText = kClipBufferSize - 2;
        std::size_t limit = length < longestText ? length : longestText;
        std::size_t textLength = strnlen(bytes, limit);
        std::memcpy(buf, bytes, textLength);
        buf[textLength] = '\0';
        size = static_cast<DWORD>(textLength + 1);
    } else {
        WriteLog("Call CLIP_STR::CLIP_STR - NOT TEXT", 0);
        size = static_cast<DWORD>(length < kClipBufferSize ? length : kClipBufferSize);
        std::memcpy(buf, bytes, size);
    }
    type = clipType;
    if (captionText) TakeCaption(caption, captionText, kCaptionLength + 1);  // a NUL-terminated text
}

void CleanCaption(char* text) {
    for (char* c = text; *c; ++c) {
        if (*c == '\r' || *c == '\n' || *c == '\t') *c = ' ';
    }
    std::size_t length = std::strlen(text);
    while (length > 0 && IsSpace(static_cast<unsigned char>(text[length - 1]))) text[--length] = '\0';
    std::size_t start = 0;
    while (start < length && IsSpace(static_cast<unsigned char>(text[start]))) ++start;
    std::memmove(text, text + start, length - start + 1);
}

void TakeCaption(char (&caption)[kCaptionSize], const char* text, std::size_t available) {
    // One byte past the caption tells whether its last byte begins a double-byte character, which is left out.
    const std::string start(text, strnlen(text, std::min(available, kCaptionLength + 1)));
    const std::string shown = AnsiPrefix(start, kCaptionLength);
    std::memcpy(caption, shown.c_str(), shown.size() + 1);
    CleanCaption(caption);
}

bool IsPictureType(UINT type) { return type == CF_BITMAP || type == CF_DIB || type == CF_ENHMETAFILE; }

std::wstring UnicodeClipText(const void* bytes, std::size_t size, std::size_t longest) {
    const std::size_t available = std::min(size / sizeof(wchar_t), longest);
    std::wstring text(available, L'\0');
    if (available > 0) std::memcpy(&text[0], bytes, available * sizeof(wchar_t));  // the bytes may lie unaligned
    text.resize(wcsnlen(text.c_str(), available));
    return text;
}

std::string AnsiCodePageText(const std::wstring& text, bool& unchanged) {
    unchanged = true;
    if (text.empty()) return std::string();
    // Every ANSI code page holds ASCII as it is: a plain ASCII text (the usual copy) needs no conversion.
    if (std::all_of(text.begin(), text.end(), [](wchar_t unit) { return unit < 0x80; }))
        return std::string(text.begin(), text.end());
    // No best-fit stand-ins (a plain a for an accented one): what the code page lacks must show as lost.
    // A UTF-8 code page takes no flags, and loses nothing.
    const DWORD flags = GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int units = static_cast<int>(text.size());
    int length = WideCharToMultiByte(CP_ACP, flags, text.data(), units, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) WideCharToMultiByte(CP_ACP, flags, text.data(), units, &ansi[0], length, nullptr, nullptr);
    std::wstring back(text.size(), L'\0');
    int backLength = ansi.empty() ? 0
                                  : MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &back[0],
                                                        units);
    back.resize(static_cast<std::size_t>(backLength > 0 ? backLength : 0));
    unchanged = back == text;
    return ansi;
}

SlotKeysName g_pRecentSlotName = nullptr;
SlotKeysName g_pFavoriteSlotName = nullptr;

std::string SlotName(SlotKeysName name, int slot) { return name ? name(slot) : std::to_string(slot); }

std::wstring ClipMenuCaption(const std::string& slotName, UINT type, const char* text, std::size_t textSize,
                             const char* caption, CaptionStyle style) {
    const std::wstring head = WideText(slotName.c_str());
    auto quoted = [&](const std::wstring& shown) {
        return style == CaptionStyle::FavoriteRebuilt ? head + L" '" + shown + L"' ..." : head + L" '" + shown + L" ...'";
    };
    if (type != 0 && type == g_nRichTextFormat) {
        if (caption && caption[0]) return head + L" '" + WideText(caption) + L"'";
        return head + L" <RICH TEXT>";
    }
    if (type == 0) return head + L" <EMPTY>";
    if (type == CF_TEXT) {
        char shown[kCaptionSize] = "";
        if (text) TakeCaption(shown, text, textSize);
        return quoted(WideText(shown));
    }
    if (type == CF_UNICODETEXT) return quoted(text ? UnicodeCaption(text, textSize) : std::wstring());
    if (IsPictureType(type)) return head + L" <PICTURE>";
    return head + (style == CaptionStyle::FavoriteRebuilt ? L" <EMPTY>" : L" <RICH TEXT>");
}
