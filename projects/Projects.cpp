#include "Projects.h"

#include <array>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

#include "base/CurrentProject.h"
#include "base/IniFile.h"
#include "base/Log.h"
#include "base/ProgramFolder.h"
#include "clips/DataFiles.h"
#include "hotkeys/Hotkeys.h"

std::vector<PRJ_STR> ProjectList;

namespace {

const char kNoProject[] = "-";  // a NAME of "-", or none, means the letter has no project

std::string SectionOf(char letter) { return std::string(1, letter); }

std::string ReadSaveIni(const char* section, const char* key, const char* fallback) {
    wchar_t path[MAX_PATH];
    return ProgramPathW(path, "Save.ini") ? ReadIni(path, section, key, fallback) : fallback;
}

bool WriteSaveIni(const char* section, const char* key, const char* value) {
    wchar_t path[MAX_PATH];
    return ProgramPathW(path, "Save.ini") && WriteIni(path, section, key, value);
}

// The letters whose section Save.ini holds (a section's name matches whatever its case), from one read of the
// section names rather than one read a letter, each of which costs an opening of the file; every letter where
// the names could not be read whole.
std::array<bool, 26> LettersWithASection() {
    std::array<bool, 26> present;
    present.fill(true);
    wchar_t path[MAX_PATH];
    std::vector<wchar_t> names(4096);
    const DWORD length = ProgramPathW(path, "Save.ini")
                             ? GetPrivateProfileSectionNamesW(names.data(), static_cast<DWORD>(names.size()), path)
                             : 0;
    if (length == 0 || length >= names.size() - 2) return present;
    present.fill(false);
    for (const wchar_t* name = names.data(); *name; name += std::wcslen(name) + 1) {
        const wchar_t letter = std::towupper(name[0]);
        if (name[1] == L'\0' && letter >= L'A' && letter <= L'Z') present[letter - L'A'] = true;
    }
    return present;
}

}  // namespace

void DiscardUnfinishedSaveIniChange() {
    wchar_t path[MAX_PATH];
    if (ProgramPathW(path, "Save.ini")) DiscardUnfinishedIniChange(path);
}

void LoadProjects(HWND hotkeyWindow) {
    ProjectList.clear();
    ProjectList.shrink_to_fit();
    wchar_t path[MAX_PATH];
    WriteLog(ProgramPathW(path, "Save.ini") ? AnsiText(path).c_str() : "Save.ini", 0);

    std::string current = ReadSaveIni("CURRENT_PRJ", "PRJ", "A");
    if (current.empty()) WriteLog("Error GetPrivateProfileString 'CURRENT_PRJ'", 0);
    const char wanted = current.empty() ? 0 : current[0];

    const std::array<bool, 26> sections = LettersWithASection();
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if (!sections[letter - 'A']) continue;  // no section: no project
        std::string name = ReadSaveIni(SectionOf(letter).c_str(), "NAME", kNoProject);
        if (name.empty()) WriteLog("Error GetPrivateProfileString 'NAME'", 0);
        if (name == kNoProject) continue;

        PRJ_STR project;
        project.letter = letter;
        AnsiPrefix(name, kProjectNameLength).copy(project.name, kProjectNameLength);
        project.selected = letter == wanted ? 1 : 0;
        if (project.selected) CurrentPrj = letter;
        TakeProjectHotKey(hotkeyWindow, letter);  // a combination another program holds is logged
        ProjectList.push_back(project);
    }
}

void SelectProject(char letter) {
    CurrentPrj = letter;
    for (PRJ_STR& project : ProjectList) project.selected = project.letter == letter ? 1 : 0;
    SaveCurrentPrj(letter);
}

void SaveCurrentPrj(char letter) {
    const char value[2] = {letter, '\0'};
    if (!WriteSaveIni("CURRENT_PRJ", "PRJ", value)) WriteLog("Error save INI!", 0);
}

int GetCurrentPrjIndex() {
    for (std::size_t i = 0; i < ProjectList.size(); ++i)
        if (ProjectList[i].selected == 1) return static_cast<int>(i);
    return -1;
}

const PRJ_STR* FindProject(char letter) {
    for (const PRJ_STR& project : ProjectList)
        if (project.letter == letter) return &project;
    return nullptr;
}

char GetFreePrjLetter() {
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        if (!FindProject(letter)) return letter;
    return 0;
}

void RemoveProject(char letter) {
    for (auto it = ProjectList.begin(); it != ProjectList.end(); ++it) {
        if (it->letter == letter) {
            ProjectList.erase(it);
            return;
        }
    }
}

bool WriteProjectName(char letter, const char* name) { return WriteSaveIni(SectionOf(letter).c_str(), "NAME", name); }

bool DeleteProjectSection(char letter) { return WriteSaveIni(SectionOf(letter).c_str(), nullptr, nullptr); }

bool StartProject(char letter, const char* name) {
    for (int slot = 1; slot <= kFavoriteSlots; ++slot) DeleteClipFile(FavoriteClipFileName(letter, slot));
    return DeleteProjectSection(letter) && WriteProjectName(letter, name);
}

void UnregisterProjectHotKey(HWND hotkeyWindow, char letter) {
    if (!ReleaseProjectHotKey(hotkeyWindow, letter))
        WriteLogFormat(0, "Can't Unregister key for project - '%c' !", letter);
}

std::string ReadKeysTakenOver() { return ReadSaveIni("KEYS", "TAKEN_OVER", ""); }

bool WriteKeysTakenOver(const std::string& keys) { return WriteSaveIni("KEYS", "TAKEN_OVER", keys.c_str()); }

void CreateDefaultProject(HWND hotkeyWindow) {
    if (!ProjectList.empty()) return;
    if (!WriteProjectName('A', "Default")) WriteLog("Error save INI!", 0);
    SaveCurrentPrj('A');
    LoadProjects(hotkeyWindow);
}
