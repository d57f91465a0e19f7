#include "ProgramFiles.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

std::wstring ToWide(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                    static_cast<int>(wide.size())));
    return wide;
}

std::string ToAnsi(const std::wstring& text) {
    std::string ansi(text.size() * 2, '\0');
    ansi.resize(WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), ansi.data(),
                                    static_cast<int>(ansi.size()), nullptr, nullptr));
    return ansi;
}

std::optional<std::string> HeldInAnsi(const std::wstring& text) {
    std::string ansi = ToAnsi(text);
    if (ToWide(ansi) != text) return std::nullopt;
    return ansi;
}

bool ForEachEntry(const std::wstring& folder, const std::function<void(const std::wstring&, bool)>& visit) {
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

void RemoveTree(const std::wstring& path) {
    ForEachEntry(path, [&path](const std::wstring& name, bool isFolder) {
        const std::wstring child = path + L"\\" + name;
        if (isFolder)
            RemoveTree(child);
        else
            DeleteFileW(child.c_str());
    });
    RemoveDirectoryW(path.c_str());
}

std::wstring FreshTemporaryFolder(const wchar_t* prefix, const std::wstring& suffix) {
    static int counter = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring path = temp + std::wstring(prefix) + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                        std::to_wstring(++counter) + suffix;
    RemoveTree(path);
    CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

std::wstring ProgramFiles::File(const std::string& name) const { return m_path + L"\\" + ToWide(name); }

bool ProgramFiles::Exists(const std::string& name) const {
    return GetFileAttributesW(File(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ProgramFiles::Read(const std::string& name) const {
    std::ifstream in(File(name).c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void ProgramFiles::Write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(File(name).c_str(), std::ios::binary | std::ios::trunc);
    out << bytes;
}

void ProgramFiles::Remove(const std::string& name) const { DeleteFileW(File(name).c_str()); }

std::string ProgramFiles::Ini(const char* section, const char* key, const std::string& file) const {
    wchar_t value[512];
    GetPrivateProfileStringW(ToWide(section).c_str(), ToWide(key).c_str(), L"<missing>", value, 512,
                             File(file).c_str());
    return ToAnsi(value);
}

void ProgramFiles::SetIni(const char* section, const char* key, const char* value, const std::string& file) const {
    // A null value deletes the key, a null key the section.
    const std::wstring wideKey = key ? ToWide(key) : L"", wideValue = value ? ToWide(value) : L"";
    WritePrivateProfileStringW(ToWide(section).c_str(), key ? wideKey.c_str() : nullptr,
                               value ? wideValue.c_str() : nullptr, File(file).c_str());
}

std::vector<std::string> ProgramFiles::LogLines() const {
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

int ProgramFiles::LogCount(const std::string& line) const {
    std::vector<std::string> lines = LogLines();
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}
