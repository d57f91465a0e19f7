#pragma once
#include <windows.h>

#include <string>

#include "framework/TextConversion.h"

// One value of an INI file (Save.ini, an Export.ini), through the wide private-profile calls so the
// file may lie in any folder; sections, keys and values are the program's ANSI texts.

// The value, at most 259 characters, or the fallback when the key is missing.
std::string ReadIni(const wchar_t* file, const char* section, const char* key, const char* fallback);

// A null value deletes the key, a null key the whole section. False when the write failed.
bool WriteIni(const wchar_t* file, const char* section, const char* key, const char* value);
