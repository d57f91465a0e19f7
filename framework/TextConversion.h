#pragma once
#include <string>

// Text between the ANSI code page (the program's own texts, Save.ini, Clip.log) and UTF-16 (paths,
// the wide-character calls).
std::wstring WideText(const char* text);
std::string AnsiText(const wchar_t* text);

// The longest start of an ANSI text that fits in maxBytes and ends between two characters, so a
// cut never keeps half of a double-byte character.
std::string AnsiPrefix(const std::string& text, std::size_t maxBytes);
