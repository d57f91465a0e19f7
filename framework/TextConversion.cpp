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

std::string AnsiPrefix(const std::string& text, std::size_t maxBytes) {
    const char* start = text.c_str();
    const char* end = start;
    for (const char* next = CharNextA(end); next != end && static_cast<std::size_t>(next - start) <= maxBytes;
         next = CharNextA(end))
        end = next;
    return std::string(start, end);
}
