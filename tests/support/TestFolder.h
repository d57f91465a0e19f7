#pragma once
#include <windows.h>

#include <string>
#include <vector>

// A fresh program folder with RECENT, FAVORITE and EXPORT, used in place of the executable's
// folder while it exists; removed with everything in it afterwards.
class TestFolder {
public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "\\" + name; }

    bool Exists(const std::string& name) const;
    std::string Read(const std::string& name) const;
    void Write(const std::string& name, const std::string& bytes) const;
    void Remove(const std::string& name) const;

    // Save.ini values, read through the private-profile functions; "<missing>" when absent.
    std::string Ini(const char* section, const char* key) const;
    void SetIni(const char* section, const char* key, const char* value) const;
    // Clip.log's entries, text only, in order.
    std::vector<std::string> LogLines() const;

private:
    std::string m_path;
};

// Everything in a folder, recursively removed.
void RemoveTree(const std::string& path);
