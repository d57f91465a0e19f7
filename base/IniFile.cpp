#include "IniFile.h"

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
