#include "ProgramFiles.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string child = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

bool ProgramFiles::Exists(const std::string& name) const {
    return GetFileAttributesA(File(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ProgramFiles::Read(const std::string& name) const {
    std::ifstream in(File(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void ProgramFiles::Write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
    out << bytes;
}

void ProgramFiles::Remove(const std::string& name) const { DeleteFileA(File(name).c_str()); }

std::string ProgramFiles::Ini(const char* section, const char* key) const {
    char value[512];
    GetPrivateProfileStringA(section, key, "<missing>", value, sizeof value, File("Save.ini").c_str());
    return value;
}

void ProgramFiles::SetIni(const char* section, const char* key, const char* value) const {
    WritePrivateProfileStringA(section, key, value, File("Save.ini").c_str());
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
