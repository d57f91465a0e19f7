#pragma once
#include <windows.h>

#include <string>
#include <vector>

// A project is a lettered set of ten favourites. Its letter names its Save.ini section, its
// favourite files and its hotkey (Ctrl+Win+letter by default); Save.ini is the only place projects are kept.
constexpr std::size_t kProjectNameLength = 26;  // a longer NAME (a hand edit) is cut to this
constexpr int kFavoriteSlots = 10;  // one per digit key

struct PRJ_STR {
    char letter = 0;
    char name[kProjectNameLength + 1] = "";
    int selected = 0;  // 1 for the current project
};

// The projects of Save.ini in letter order; rebuilt by LoadProjects.
extern std::vector<PRJ_STR> ProjectList;

// A Save.ini change that a kill interrupted left its copy behind; Save.ini itself is whole.
void DiscardUnfinishedSaveIniChange();

// Rebuilds ProjectList from Save.ini, makes the project that CURRENT_PRJ names current and
// registers each project's hotkey on `hotkeyWindow`. When CURRENT_PRJ names no loaded project,
// nothing is selected and CurrentPrj keeps its value.
void LoadProjects(HWND hotkeyWindow);

// Makes the letter current in memory and in Save.ini.
void SelectProject(char letter);
void SaveCurrentPrj(char letter);

// The letter's project in ProjectList, or null.
const PRJ_STR* FindProject(char letter);

// Position of the current project in ProjectList, or -1.
int GetCurrentPrjIndex();

// The first letter that no project has; 0 when all 26 are taken.
char GetFreePrjLetter();

// Drops the letter's record from ProjectList; the rest keep their order.
void RemoveProject(char letter);

// Save.ini writes of a project's NAME and of its whole section; false when the write failed.
bool WriteProjectName(char letter, const char* name);
bool DeleteProjectSection(char letter);

// Makes a new project of the letter, with no favourites: the keys and data files that a deleted
// project of the letter left are removed first. False when Save.ini could not be written.
bool StartProject(char letter, const char* name);

// Releases the letter's hotkey (logged when that fails).
void UnregisterProjectHotKey(HWND hotkeyWindow, char letter);

// Save.ini [KEYS] TAKEN_OVER: the combinations the keyboard hook took from other programs that the installation's
// user was last told of ("Win+1 \u2026 Win+0" in the ANSI code page); empty before any.
std::string ReadKeysTakenOver();
bool WriteKeysTakenOver(const std::string& keys);

// An installation without any project gets project A, "Default", made current, so that the first
// stored favourite has a project to live in. Does nothing while any project exists.
void CreateDefaultProject(HWND hotkeyWindow);
