#include "Projects.h"

#include <string>

#include "base/CurrentProject.h"
#include "base/Log.h"
#include "base/ProgramFolder.h"
#include "hotkeys/Hotkeys.h"

std::vector<PRJ_STR> ProjectList;

namespace {

const char kNoProject[] = "-";  // a NAME of "-", or none, means the letter has no project

std::wstring Wide(const char* text) {
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(length > 0 ? length : 1, L'\0');
    if (length > 0) MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    wide.resize(wide.size() - 1);
    return wide;
}

std::string Narrow(const wchar_t* text) {
    int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(length > 0 ? length : 1, '\0');
    if (length > 0) WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), length, nullptr, nullptr);
    narrow.resize(narrow.size() - 1);
    return narrow;
}

std::wstring SectionOf(char letter) { return std::wstring(1, static_cast<wchar_t>(letter)); }

// One Save.ini value, read into the 260-character buffer the file's readers use.
std::string ReadSaveIni(const wchar_t* section, const wchar_t* key, const wchar_t* fallback) {
    wchar_t path[MAX_PATH];
    if (!ProgramPathW(path, "Save.ini")) return Narrow(fallback);
    wchar_t value[260];
    GetPrivateProfileStringW(section, key, fallback, value, 260, path);
    return Narrow(value);
}

// A null value deletes the key, a null key the whole section.
bool WriteSaveIni(const wchar_t* section, const wchar_t* key, const char* value) {
    wchar_t path[MAX_PATH];
    if (!ProgramPathW(path, "Save.ini")) return false;
    std::wstring wide = value ? Wide(value) : std::wstring();
    return WritePrivateProfileStringW(section, key, value ? wide.c_str() : nullptr, path) != FALSE;
}

int ProjectHotkeyId(char letter) { return static_cast<int>(HOTKEY_PROJECT + static_cast<unsigned char>(letter)); }

}  // namespace

void LoadProjects(HWND hotkeyWindow) {
    ProjectList.clear();
    ProjectList.shrink_to_fit();
    char path[MAX_PATH];
    WriteLog(ProgramPath(path, "Save.ini") ? path : "Save.ini", 0);

    std::string current = ReadSaveIni(L"CURRENT_PRJ", L"PRJ", L"A");
    if (current.empty()) WriteLog("Error GetPrivateProfileString 'CURRENT_PRJ'", 0);
    const char wanted = current.empty() ? 0 : current[0];

    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        std::string name = ReadSaveIni(SectionOf(letter).c_str(), L"NAME", Wide(kNoProject).c_str());
        if (name.empty()) WriteLog("Error GetPrivateProfileString 'NAME'", 0);
        if (name == kNoProject) continue;

        PRJ_STR project;
        project.letter = letter;
        name.copy(project.name, kProjectNameLength);
        project.selected = letter == wanted ? 1 : 0;
        if (project.selected) CurrentPrj = letter;
        if (!RegisterHotKey(hotkeyWindow, ProjectHotkeyId(letter), MOD_CONTROL | MOD_WIN, static_cast<UINT>(letter)))
            WriteLogFormat(0, "Can't register Ctl-Win-%c !", letter);
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
    if (!WriteSaveIni(L"CURRENT_PRJ", L"PRJ", value)) WriteLog("Error save INI!", 0);
}

int GetCurrentPrjIndex() {
    for (std::size_t i = 0; i < ProjectList.size(); ++i)
        if (ProjectList[i].selected == 1) return static_cast<int>(i);
    return -1;
}

char GetFreePrjLetter() {
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        bool taken = false;
        for (const PRJ_STR& project : ProjectList) taken = taken || project.letter == letter;
        if (!taken) return letter;
    }
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

bool WriteProjectName(char letter, const char* name) { return WriteSaveIni(SectionOf(letter).c_str(), L"NAME", name); }

bool DeleteProjectSection(char letter) { return WriteSaveIni(SectionOf(letter).c_str(), nullptr, nullptr); }

void UnregisterProjectHotKey(HWND hotkeyWindow, char letter) {
    if (!UnregisterHotKey(hotkeyWindow, ProjectHotkeyId(letter)))
        WriteLogFormat(0, "Can't Unregister key for project - '%c' !", letter);
}

void CreateDefaultProject(HWND hotkeyWindow) {
    if (!ProjectList.empty()) return;
    if (!WriteProjectName('A', "Default")) WriteLog("Error save INI!", 0);
    SaveCurrentPrj('A');
    LoadProjects(hotkeyWindow);
}
