#include "projects/Projects.h"

#include <string>

#include "base/CurrentProject.h"
#include "support/ClipStoreFixture.h"
#include "support/ProjectsFixture.h"

namespace {

struct LoadCase {
    const char* what;
    std::vector<std::pair<char, const char*>> names;  // NAME per section, in writing order
    const char* current;                              // CURRENT_PRJ PRJ, or null for none
    std::string listed;                               // "<letter>:<name>", '*' after the current one
    char currentLetter;
    char freeLetter;
    const char* logged;  // a line the load must log, or null
};

}  // namespace

TEST_F(ProjectsTest, TheLoaderReadsEveryLetterOfSaveIni) {
    const std::string longName(40, 'n');
    const LoadCase cases[] = {
        {"no Save.ini", {}, nullptr, "", 0, 'A', nullptr},
        {"dash, empty and Z", {{'A', "Alpha"}, {'B', "-"}, {'C', ""}, {'Z', "Zed"}}, nullptr, "A:Alpha* C: Z:Zed", 'A',
         'B', "Error GetPrivateProfileString 'NAME'"},
        {"over-long name", {{'A', longName.c_str()}}, "A", "A:" + std::string(26, 'n') + "*", 'A', 'B', nullptr},
        {"current names a missing letter", {{'A', "Alpha"}, {'B', "Beta"}}, "D", "A:Alpha B:Beta", 0, 'C', nullptr},
        {"empty current", {{'B', "Beta"}}, "", "B:Beta", 0, 'A', "Error GetPrivateProfileString 'CURRENT_PRJ'"},
    };
    for (const LoadCase& c : cases) {
        TestFolder fresh;
        CurrentPrj = 0;
        for (const auto& [letter, name] : c.names) fresh.SetIni(std::string(1, letter).c_str(), "NAME", name);
        if (c.current) fresh.SetIni("CURRENT_PRJ", "PRJ", c.current);
        LoadProjects(window);
        EXPECT_EQ(Listed(), c.listed) << c.what;
        EXPECT_EQ(CurrentPrj, c.currentLetter) << c.what;
        EXPECT_EQ(GetFreePrjLetter(), c.freeLetter) << c.what;
        if (c.logged) {
            EXPECT_EQ(fresh.LogCount(c.logged), 1) << c.what;
        }
        // Every listed project has its Ctrl+Win+letter hotkey; a second load lists the same projects.
        for (const PRJ_STR& project : ProjectList) EXPECT_TRUE(HotkeyHeld(project.letter)) << c.what;
        const std::string first = Listed();
        LoadProjects(window);
        EXPECT_EQ(Listed(), first) << c.what;
        for (const PRJ_STR& project : ProjectList) UnregisterProjectHotKey(window, project.letter);
    }
}

TEST_F(ProjectsTest, SelectingRemovingAndTheFreeLetter) {
    for (char letter : {'A', 'B', 'D'}) folder.SetIni(std::string(1, letter).c_str(), "NAME", "p");
    LoadProjects(window);
    EXPECT_EQ(CurrentPrj, 'A');
    EXPECT_EQ(GetFreePrjLetter(), 'C');

    SelectProject('D');
    EXPECT_EQ(CurrentPrj, 'D');
    EXPECT_EQ(GetCurrentPrjIndex(), 2);
    EXPECT_EQ(folder.Ini("CURRENT_PRJ", "PRJ"), "D");

    RemoveProject('X');
    EXPECT_EQ(Listed(), "A:p B:p D:p*");
    RemoveProject('B');
    EXPECT_EQ(Listed(), "A:p D:p*");
    EXPECT_EQ(GetFreePrjLetter(), 'B');
    RemoveProject('D');
    EXPECT_EQ(GetCurrentPrjIndex(), -1);

    for (char letter = 'A'; letter <= 'Z'; ++letter) folder.SetIni(std::string(1, letter).c_str(), "NAME", "p");
    LoadProjects(window);
    EXPECT_EQ(ProjectList.size(), 26u);
    EXPECT_EQ(GetFreePrjLetter(), 0);
}

TEST_F(ProjectsTest, TheDefaultProjectIsCreatedOnlyWhereNoProjectExists) {
    CreateDefaultProject(window);
    EXPECT_EQ(Listed(), "A:Default*");
    EXPECT_EQ(CurrentPrj, 'A');
    EXPECT_EQ(folder.Ini("A", "NAME"), "Default");
    EXPECT_EQ(folder.Ini("CURRENT_PRJ", "PRJ"), "A");
    EXPECT_TRUE(HotkeyHeld('A'));

    UnregisterProjectHotKey(window, 'A');
    folder.SetIni("A", nullptr, nullptr);
    folder.SetIni("C", "NAME", "Only");
    LoadProjects(window);
    CreateDefaultProject(window);
    EXPECT_EQ(Listed(), "C:Only");
    EXPECT_EQ(folder.Ini("A", "NAME"), "<missing>");
}
