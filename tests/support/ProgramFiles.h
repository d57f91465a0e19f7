#pragma once
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

// Text between ANSI and UTF-16; the end-to-end tests do not link the program's own conversions.
inline std::wstring ToWide(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                    static_cast<int>(wide.size())));
    return wide;
}

inline std::string ToAnsi(const std::wstring& text) {
    std::string ansi(text.size() * 2, '\0');
    ansi.resize(WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), ansi.data(),
                                    static_cast<int>(ansi.size()), nullptr, nullptr));
    return ansi;
}

// The text in the ANSI code page, or nothing when the code page cannot hold it.
inline std::optional<std::string> HeldInAnsi(const std::wstring& text) {
    std::string ansi = ToAnsi(text);
    if (ToWide(ansi) != text) return std::nullopt;
    return ansi;
}

// Calls `visit` with the name of each file and folder in a folder but "." and "..", and whether it is
// a folder. False when the folder cannot be read.
inline bool ForEachEntry(const std::wstring& folder, const std::function<void(const std::wstring&, bool)>& visit) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") visit(name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return true;
}

// Everything in a folder, recursively removed; true once the folder is gone.
inline bool RemoveTree(const std::wstring& path) {
    ForEachEntry(path, [&path](const std::wstring& name, bool isFolder) {
        const std::wstring child = path + L"\\" + name;
        if (isFolder)
            RemoveTree(child);
        else
            DeleteFileW(child.c_str());
    });
    RemoveDirectoryW(path.c_str());
    return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

// A fresh temporary folder named "<prefix>-<process>-<counter><suffix>", the suffix in any characters.
inline std::wstring FreshTemporaryFolder(const wchar_t* prefix, const std::wstring& suffix) {
    static int counter = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring path = temp + std::wstring(prefix) + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                        std::to_wstring(++counter) + suffix;
    RemoveTree(path);
    CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

// The files a program folder holds, read and written as a test sees them. The folder may have any
// name: paths are UTF-16 and every access goes through the wide-character calls.
class ProgramFiles {
public:
    const std::wstring& Path() const { return m_path; }
    std::wstring File(const std::string& name) const { return m_path + L"\\" + ToWide(name); }

    // The name may hold wildcards: then whether any file matches.
    bool Exists(const std::string& name) const {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW(File(name).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return false;
        FindClose(search);
        return true;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(File(name).c_str(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream out(File(name).c_str(), std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    void Remove(const std::string& name) const { DeleteFileW(File(name).c_str()); }

    // Values of Save.ini (or another INI file) through the private-profile calls; "<missing>" when absent.
    std::string Ini(const char* section, const char* key, const std::string& file = "Save.ini") const {
        wchar_t value[512];
        GetPrivateProfileStringW(ToWide(section).c_str(), ToWide(key).c_str(), L"<missing>", value, 512,
                                 File(file).c_str());
        return ToAnsi(value);
    }
    // A null value deletes the key, a null key the section.
    void SetIni(const char* section, const char* key, const char* value, const std::string& file = "Save.ini") const {
        const std::wstring wideKey = key ? ToWide(key) : L"", wideValue = value ? ToWide(value) : L"";
        WritePrivateProfileStringW(ToWide(section).c_str(), key ? wideKey.c_str() : nullptr,
                                   value ? wideValue.c_str() : nullptr, File(file).c_str());
    }

    // Clip.log's entries, text only, oldest first.
    std::vector<std::string> LogLines() const {
        std::vector<std::string> lines;
        std::istringstream in(Read("Clip.log"));
        std::string line;
        const std::string marker = " - ";
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.rfind("Level ", 0) != 0) continue;
            std::string::size_type dash = line.find(marker);
            if (dash != std::string::npos) lines.push_back(line.substr(dash + marker.size()));
        }
        return lines;
    }
    int LogCount(const std::string& line) const {
        std::vector<std::string> lines = LogLines();
        return static_cast<int>(std::count(lines.begin(), lines.end(), line));
    }

protected:
    std::wstring m_path;
};
