#include "TestFolder.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "app/ProgramFolder.h"

namespace {
int g_folderCounter = 0;
}

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

TestFolder::TestFolder() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    m_path = std::string(temp) + "quorvex-test-" + std::to_string(GetCurrentProcessId()) + "-" +
             std::to_string(++g_folderCounter);
    if (!m_path.empty() && m_path.back() == '\\') m_path.pop_back();
    RemoveTree(m_path);
    CreateDirectoryA(m_path.c_str(), nullptr);
    for (const char* sub : {"RECENT", "FAVORITE", "EXPORT"}) CreateDirectoryA(File(sub).c_str(), nullptr);
    SetProgramFolderForTests(m_path.c_str());
}

TestFolder::~TestFolder() {
    SetProgramFolderForTests(nullptr);
    RemoveTree(m_path);
}

bool TestFolder::Exists(const std::string& name) const {
    return GetFileAttributesA(File(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string TestFolder::Read(const std::string& name) const {
    std::ifstream in(File(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void TestFolder::Write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
    out << bytes;
}

void TestFolder::Remove(const std::string& name) const { DeleteFileA(File(name).c_str()); }

std::string TestFolder::Ini(const char* section, const char* key) const {
    char value[512];
    GetPrivateProfileStringA(section, key, "<missing>", value, sizeof value, File("Save.ini").c_str());
    return value;
}

void TestFolder::SetIni(const char* section, const char* key, const char* value) const {
    WritePrivateProfileStringA(section, key, value, File("Save.ini").c_str());
}

std::vector<std::string> TestFolder::LogLines() const {
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
