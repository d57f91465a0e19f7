#include "ClipRecord.h"

#include <cstdio>
#include <cstring>
#include <mbctype.h>
#include <mbstring.h>

#include "base/Log.h"
#include "clips/Clipboard.h"

namespace {

bool IsSpace(unsigned char c) { return _ismbcspace(c) != 0; }

std::string Format(const char* format, const char* prefix, int slot, const char* text = nullptr) {
    char caption[128];
    if (text)
        std::snprintf(caption, sizeof caption, format, prefix, slot, text);
    else
        std::snprintf(caption, sizeof caption, format, prefix, slot);
    return caption;
}

}  // namespace

CLIP_STR::CLIP_STR(UINT clipType, const void* source, const char* captionText, std::size_t length) {
    std::memset(caption, 0, sizeof caption);
    WriteLog("CLIP_STR::CLIP_STR started", 0);
    if (clipType == 0) return;

    const char* bytes = static_cast<const char*>(source);
    if (clipType == CF_TEXT) {
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
    if (captionText) TakeCaption(caption, captionText, kCaptionLength);
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
    std::size_t length = strnlen(text, available < kCaptionLength ? available : kCaptionLength);
    std::memcpy(caption, text, length);
    caption[length] = '\0';
    CleanCaption(caption);
}

bool IsPictureType(UINT type) { return type == CF_BITMAP || type == CF_DIB || type == CF_ENHMETAFILE; }

std::string ClipMenuCaption(const char* prefix, int slot, UINT type, const char* text, std::size_t textSize,
                            const char* caption, CaptionStyle style) {
    if (type != 0 && type == g_nRichTextFormat) {
        if (caption && caption[0]) return Format("%s-%d '%s'", prefix, slot, caption);
        return Format("%s-%d <RICH TEXT>", prefix, slot);
    }
    if (type == 0) return Format("%s-%d <EMPTY>", prefix, slot);
    if (type == CF_TEXT) {
        char shown[kCaptionSize] = "";
        if (text) TakeCaption(shown, text, textSize);
        return Format(style == CaptionStyle::FavoriteRebuilt ? "%s-%d '%s' ..." : "%s-%d '%s ...'", prefix, slot,
                      shown);
    }
    if (IsPictureType(type)) return Format("%s-%d <PICTURE>", prefix, slot);
    return Format(style == CaptionStyle::FavoriteRebuilt ? "%s-%d <EMPTY>" : "%s-%d <RICH TEXT>", prefix, slot);
}
