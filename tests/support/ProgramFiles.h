#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

// The files a program folder holds, read and written as a test sees them. The folder may have any
// name: paths are UTF-16 and every access goes through the wide-character calls.
class ProgramFiles {
public:
    const std::wstring& Path() const { return m_path; }
    std::wstring File(const std::string& name) const;

    bool Exists(const std::string& name) const;
    std::string Read(const std::string& name) const;
    void Write(const std::string& name, const std::string& bytes) const;
    void Remove(const std::string& name) const;

    // Values of Save.ini (or another INI file) through the private-profile calls; "<missing>" when absent.
    std::string Ini(const char* section, const char* key, const std::string& file = "Save.ini") const;
    void SetIni(const char* section, const char* key, const char* value, const std::string& file = "Save.ini") const;
    // Clip.log's entries, text only, oldest first.
    std::vector<std::string> LogLines() const;
    int LogCount(const std::string& line) const;

protected:
    std::wstring m_path;
};

// Text between ANSI and UTF-16; the end-to-end tests do not link the program's own conversions.
std::wstring ToWide(const std::string& text);
std::string ToAnsi(const std::wstring& text);
// The text in the ANSI code page, or nothing when the code page cannot hold it.
std::optional<std::string> HeldInAnsi(const std::wstring& text);

// Calls `visit` with the name of each file and folder in a folder but "." and "..", and whether it is
// a folder. False when the folder cannot be read.
bool ForEachEntry(const std::wstring& folder, const std::function<void(const std::wstring&, bool)>& visit);

// Everything in a folder, recursively removed.
void RemoveTree(const std::wstring& path);

// A fresh temporary folder named "<prefix>-<process>-<counter><suffix>", the suffix in any characters.
std::wstring FreshTemporaryFolder(const wchar_t* prefix, const std::wstring& suffix);
