#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The files a program folder holds, read and written as a test sees them.
class ProgramFiles {
public:
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "\\" + name; }

    bool Exists(const std::string& name) const;
    std::string Read(const std::string& name) const;
    void Write(const std::string& name, const std::string& bytes) const;
    void Remove(const std::string& name) const;

    // Save.ini values, read through the private-profile functions; "<missing>" when absent.
    std::string Ini(const char* section, const char* key) const;
    void SetIni(const char* section, const char* key, const char* value) const;
    // Clip.log's entries, text only, oldest first.
    std::vector<std::string> LogLines() const;
    int LogCount(const std::string& line) const;

protected:
    std::string m_path;
};

// Everything in a folder, recursively removed.
void RemoveTree(const std::string& path);
