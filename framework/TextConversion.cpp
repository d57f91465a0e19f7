#include "TextConversion.h"

#include <windows.h>

std::wstring WideText(const char* text) {
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    wide.pop_back();
    return wide;
}

std::string AnsiText(const wchar_t* text) {
    int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string ansi(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, ansi.data(), length, nullptr, nullptr);
    ansi.pop_back();
    return ansi;
}

std::wstring WideText(const char* bytes, std::size_t count, unsigned codePage) {
    const int length = count ? MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(count), nullptr, 0) : 0;
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(count), wide.data(), length);
    return wide;
}

std::string Utf8Text(const std::wstring& text) {
    const int units = static_cast<int>(text.size());
    const int length = units ? WideCharToMultiByte(CP_UTF8, 0, text.data(), units, nullptr, 0, nullptr, nullptr) : 0;
    std::string utf8(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), units, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

bool IsUtf8(const char* bytes, std::size_t count) {
    return count == 0 ||
           MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(count), nullptr, 0) > 0;
}

std::size_t WholeUtf8Length(const char* bytes, std::size_t count) {
    // The last lead byte among the final three, and the length its high bits announce.
    for (std::size_t back = 1; back <= 3 && back <= count; ++back) {
        const unsigned char byte = static_cast<unsigned char>(bytes[count - back]);
        if ((byte & 0xC0) == 0x80) continue;  // a continuation byte
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? count - back : count;
    }
    return count;
}

std::string AnsiPrefix(const std::string& text, std::size_t maxBytes) {
    const char* start = text.c_str();
    const char* end = start;
    // A lead byte that ends the text lacks its trail byte (the text was cut there): it is no character.
    for (const char* next = CharNextA(end); next != end && static_cast<std::size_t>(next - start) <= maxBytes &&
                                            !(next == end + 1 && IsDBCSLeadByte(static_cast<BYTE>(*end)));
         next = CharNextA(end))
        end = next;
    return std::string(start, end);
}
