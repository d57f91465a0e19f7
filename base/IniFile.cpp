#include "IniFile.h"

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

std::string ReadIni(const wchar_t* file, const char* section, const char* key, const char* fallback) {
    wchar_t value[260];
    GetPrivateProfileStringW(WideText(section).c_str(), WideText(key).c_str(), WideText(fallback).c_str(), value,
                             260, file);
    return AnsiText(value);
}

bool WriteIni(const wchar_t* file, const char* section, const char* key, const char* value) {
    const std::wstring wideKey = key ? WideText(key) : std::wstring();
    const std::wstring wideValue = value ? WideText(value) : std::wstring();
    return WritePrivateProfileStringW(WideText(section).c_str(), key ? wideKey.c_str() : nullptr,
                                      value ? wideValue.c_str() : nullptr, file) != FALSE;
}
