#pragma once
#include <cstddef>
#include <string>

// Text between the ANSI code page (the program's own texts, Save.ini, Clip.log) and UTF-16 (paths,
// the wide-character calls), and UTF-8 (the append file).
std::wstring WideText(const char* text);
std::string AnsiText(const wchar_t* text);

// The UTF-16 text of `count` bytes of text in a code page (CP_ACP, CP_UTF8), NULs included.
std::wstring WideText(const char* bytes, std::size_t count, unsigned codePage);
std::string Utf8Text(const std::wstring& text);

// Whether the bytes are UTF-8 throughout (plain ASCII is).
bool IsUtf8(const char* bytes, std::size_t count);

// How many of the bytes end on a whole UTF-8 character: a sequence the end cuts is left out.
std::size_t WholeUtf8Length(const char* bytes, std::size_t count);

// The longest start of an ANSI text that fits in maxBytes and ends between two characters, so a
// cut never keeps half of a double-byte character (nor a lead byte that ends the text).
std::string AnsiPrefix(const std::string& text, std::size_t maxBytes);
