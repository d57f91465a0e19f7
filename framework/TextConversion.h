#pragma once
#include <string>

// Text between the ANSI code page (the program's own texts, Save.ini, Clip.log) and UTF-16 (paths,
// the wide-character calls).
std::wstring WideText(const char* text);
std::string AnsiText(const wchar_t* text);
