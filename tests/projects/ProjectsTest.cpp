#include "projects/Projects.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/CurrentProject.h"
#include "clips/Favorites.h"
#include "framework/Prompts.h"
#include "projects/ProjectDialogs.h"
#include "projects/ProjectTransfer.h"
#include "res/resource.h"
#include "support/ClipStoreFixture.h"
#include "support/KeyboardRecorder.h"

namespace {

// An empty project list and a window that holds the project hotkeys (released with it).
class ProjectsTest : public ClipStoreTest {
protected:
    void SetUp() override {
        ClipStoreTest::SetUp();
        ProjectList.clear();
        window = CreateWindowA("STATIC", "Quorvex test hotkeys", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    }
    void TearDown() override {
        DestroyWindow(window);
        ProjectList.clear();
        ClipStoreTest::TearDown();
    }
    // ProjectList as "<letter>:<name>" entries, '*' after the current one.
    static std::string Listed() {
        std::string listed;
        for (const PRJ_STR& project : ProjectList)
            listed += std::string(listed.empty() ? "" : " ") + project.letter + ":" + project.name +
                      (project.selected ? "*" : "");
        return listed;
    }
    static bool HotkeyHeld(char letter) { return HotkeyTaken(MOD_CONTROL | MOD_WIN, static_cast<UINT>(letter)); }

    void TakeEveryLetter() {
        for (char letter = 'A'; letter <= 'Z'; ++letter) folder.SetIni(std::string(1, letter).c_str(), "NAME", "p");
        LoadProjects(window);
    }

    HWND window = nullptr;
};

struct LoadCase {
    const char* what;
    std::vector<std::pair<char, const char*>> names;  // NAME per section, in writing order
    const char* current;                              // CURRENT_PRJ PRJ, or null for none
    std::string listed;                               // "<letter>:<name>", '*' after the current one
    char currentLetter;
    char freeLetter;
    const char* logged;  // a line the load must log, or null
    char heldElsewhere;  // a letter whose Ctrl+Win+letter another hotkey holds, or 0
};

}  // namespace


TEST_F(ProjectsTest, TheLoaderReadsEveryLetterOfSaveIni) {
    const std::string longName(40, 'n');
    const LoadCase cases[] = {
        {"no Save.ini", {}, nullptr, "", 0, 'A', nullptr, 0},
        {"dash, empty and Z", {{'A', "Alpha"}, {'B', "-"}, {'C', ""}, {'Z', "Zed"}}, nullptr, "A:Alpha* C: Z:Zed", 'A',
         'B', "Error GetPrivateProfileString 'NAME'", 0},
        {"over-long name", {{'A', longName.c_str()}}, "A", "A:" + std::string(26, 'n') + "*", 'A', 'B', nullptr, 0},
        {"current names a missing letter", {{'A', "Alpha"}, {'B', "Beta"}}, "D", "A:Alpha B:Beta", 0, 'C', nullptr, 0},
        {"empty current", {{'B', "Beta"}}, "", "B:Beta", 0, 'A', "Error GetPrivateProfileString 'CURRENT_PRJ'", 0},
        {"a hotkey held elsewhere", {{'A', "Alpha"}, {'B', "Beta"}}, "B", "A:Alpha B:Beta*", 'B', 'C',
         "Can't register Ctl-Win-B !", 'B'},
    };
    for (const LoadCase& c : cases) {
        TestFolder fresh;
        CurrentPrj = 0;
        for (const auto& [letter, name] : c.names) fresh.SetIni(std::string(1, letter).c_str(), "NAME", name);
        if (c.current) fresh.SetIni("CURRENT_PRJ", "PRJ", c.current);
        if (c.heldElsewhere) RegisterHotKey(window, 1, MOD_CONTROL | MOD_WIN, static_cast<UINT>(c.heldElsewhere));
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
        if (c.heldElsewhere) UnregisterHotKey(window, 1);
    }
}

// Where no project exists, the first stored favourite creates one (see the main window's tests).
TEST_F(ProjectsTest, SelectingRemovingTheFreeLetterAndNoDefaultProjectWhereOneExists) {
    for (char letter : {'A', 'B', 'D'}) folder.SetIni(std::string(1, letter).c_str(), "NAME", "p");
    LoadProjects(window);
    CreateDefaultProject(window);
    EXPECT_EQ(Listed(), "A:p* B:p D:p");
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
}

namespace {

// Acts in this thread's dialogs while their modal loops run: each step waits for the visible
// dialog with its title, then acts on it. Steps move on before they act: an action that opens a
// nested dialog returns only when that closes, and the nested loop's ticks run its steps.
struct DialogScript {
    using Step = std::pair<const char*, std::function<void(HWND)>>;
    explicit DialogScript(std::vector<Step> steps) : steps(std::move(steps)) {
        current = this;
        timer = SetTimer(nullptr, 0, 30, Tick);
    }
    ~DialogScript() { KillTimer(nullptr, timer); }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (current->next == current->steps.size()) return;
        HWND dialog = FindWindowA("#32770", current->steps[current->next].first);
        if (dialog && IsWindowVisible(dialog)) current->steps[current->next++].second(dialog);
    }

    static inline DialogScript* current = nullptr;
    std::vector<Step> steps;
    std::size_t next = 0;
    UINT_PTR timer;
};

const char kList[] = "List of Projects";
const char kNew[] = "New Project";

std::vector<std::string> Entries(HWND dialog) {
    std::vector<std::string> entries;
    HWND list = GetDlgItem(dialog, IDC_PROJECT_LIST);
    for (int i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
        char text[128] = "";
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        char letter = static_cast<char>(SendMessageA(list, LB_GETITEMDATA, i, 0));
        entries.push_back(std::string(1, letter) + "=" + text);
    }
    return entries;
}

void Highlight(HWND dialog, char letter) {
    HWND list = GetDlgItem(dialog, IDC_PROJECT_LIST);
    for (int i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i)
        if (SendMessageA(list, LB_GETITEMDATA, i, 0) == letter) SendMessageA(list, LB_SETCURSEL, i, 0);
}

void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

class ProjectDialogsTest : public ProjectsTest {
protected:
    void SetUp() override {
        ProjectsTest::SetUp();
        for (auto [letter, name] : {std::pair{'A', "Alpha"}, {'B', "Beta"}, {'D', "Delta"}})
            folder.SetIni(std::string(1, letter).c_str(), "NAME", name);
        folder.SetIni("CURRENT_PRJ", "PRJ", "B");
        AfxSetPromptResponder([this](const Prompt& prompt) {
            prompts.push_back(prompt);
            return answer;
        });
    }
    void TearDown() override {
        AfxSetPromptResponder(nullptr);
        ProjectsTest::TearDown();
    }
    INT_PTR Run(std::vector<DialogScript::Step> steps) {
        DialogScript script(std::move(steps));
        CProject dialog(window);
        INT_PTR result = dialog.DoModal();
        EXPECT_EQ(script.next, script.steps.size());
        return result;
    }

    std::vector<Prompt> prompts;
    int answer = IDOK;
};

}  // namespace

TEST_F(ProjectDialogsTest, TheListShowsEveryProjectWithTheCurrentOneSelectedAndSelectMakesAnotherCurrent) {
    std::vector<std::string> shown;
    LRESULT selected = -1;
    INT_PTR result = Run({{kList, [&](HWND dialog) {
                               shown = Entries(dialog);
                               selected = SendDlgItemMessageA(dialog, IDC_PROJECT_LIST, LB_GETCURSEL, 0, 0);
                               Highlight(dialog, 'D');
                               Click(dialog, IDOK);
                           }}});
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(shown, (std::vector<std::string>{"A=  Ctl-Win-A\t<Alpha>", "B=  Ctl-Win-B\t<Beta>", "D=  Ctl-Win-D\t<Delta>"}));
    EXPECT_EQ(selected, 1);
    EXPECT_EQ(CurrentPrj, 'D');
    EXPECT_EQ(folder.Ini("CURRENT_PRJ", "PRJ"), "D");

    // Close after highlighting another entry changes nothing.
    EXPECT_EQ(Run({{kList, [](HWND dialog) {
                       Highlight(dialog, 'A');
                       Click(dialog, IDCANCEL);
                   }}}),
              IDCANCEL);
    EXPECT_EQ(CurrentPrj, 'D');
}

TEST_F(ProjectDialogsTest, NewTakesTheNextFreeLetterAndListsItWithoutMakingItCurrent) {
    struct Case {
        std::wstring typed;
        int button;
        std::wstring stored;  // C's NAME afterwards
        const char* listed;   // C's entry, or null where C has no project
    };
    const Case cases[] = {
        {L"Work", IDOK, L"Work", "C=  Ctl-Win-C\t<Work>"},
        {L"", IDOK, L"", "C=  Ctl-Win-C\t<>"},
        {L"-", IDOK, L"-", nullptr},  // the name that means "no project": C stays free
        {L"Work", IDCANCEL, L"<missing>", nullptr},
        // 25 characters of a double-byte code page are cut at 25 bytes, between two characters.
        {std::wstring(25, L'表'), IDOK, std::wstring(12, L'表'), nullptr},
    };
    for (const Case& c : cases) {
        if (!HeldInAnsi(c.typed)) continue;
        folder.SetIni("C", nullptr, nullptr);
        std::string hotkeyShown;
        std::vector<std::string> shown;
        Run({{kList, [](HWND dialog) { Click(dialog, IDC_PROJECT_NEW); }},
             {kNew,
              [&](HWND dialog) {
                  char text[64] = "";
                  GetDlgItemTextA(dialog, IDC_NEW_PROJECT_HOTKEY, text, sizeof text);
                  hotkeyShown = text;
                  SetDlgItemTextW(dialog, IDC_NEW_PROJECT_NAME, c.typed.c_str());
                  Click(dialog, c.button);
              }},
             {kList, [&](HWND dialog) {
                  shown = Entries(dialog);
                  Click(dialog, IDCANCEL);
              }}});
        EXPECT_EQ(hotkeyShown, "Ctl - Win - C");
        EXPECT_EQ(ToWide(folder.Ini("C", "NAME")), c.stored);
        if (c.typed.size() > 20) continue;  // listed and registered as any other
        ASSERT_EQ(shown.size(), c.listed ? 4u : 3u);
        EXPECT_EQ(HotkeyHeld('C'), c.listed != nullptr);
        EXPECT_EQ(CurrentPrj, 'B');
        if (c.listed) {
            EXPECT_EQ(shown[2], c.listed);
            UnregisterProjectHotKey(window, 'C');
        }
    }

    // With every letter taken, New refuses at once.
    TakeEveryLetter();
    CNewPrj refused;
    EXPECT_EQ(refused.DoModal(), 0);
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].text, "Can not create another project!");
    EXPECT_EQ(prompts[0].type, UINT{MB_OK | MB_ICONEXCLAMATION});
}

TEST_F(ProjectDialogsTest, DeleteAsksFirstNeverDeletesAAndMakesACurrent) {
    struct Case {
        char letter;
        int answer;
        const char* asked;
        bool deleted;
    };
    const Case cases[] = {
        {'A', IDOK, "Can't remove default project 'A'!", false},
        {'D', IDCANCEL, "Are you sure to delete project D <Delta>?", false},
        {'D', IDOK, "Are you sure to delete project D <Delta>?", true},
    };
    for (const Case& c : cases) {
        prompts.clear();
        answer = c.answer;
        std::vector<std::string> shown;
        Run({{kList, [&](HWND dialog) {
                 Highlight(dialog, c.letter);
                 Click(dialog, IDC_PROJECT_DELETE);
                 shown = Entries(dialog);
                 Click(dialog, IDCANCEL);
             }}});
        ASSERT_EQ(prompts.size(), 1u) << c.letter;
        EXPECT_EQ(prompts[0].text, c.asked);
        EXPECT_EQ(prompts[0].type, c.letter == 'A' ? UINT{MB_OK | MB_ICONHAND} : UINT{MB_OKCANCEL | MB_ICONEXCLAMATION});
        EXPECT_EQ(shown.size(), c.deleted ? 2u : 3u) << c.letter;
        EXPECT_EQ(folder.Ini("D", "NAME"), c.deleted ? "<missing>" : "Delta") << c.letter;
        EXPECT_EQ(HotkeyHeld('D'), !c.deleted) << c.letter;
        EXPECT_EQ(CurrentPrj, c.deleted ? 'A' : 'B') << c.letter;
        EXPECT_EQ(folder.Ini("CURRENT_PRJ", "PRJ"), c.deleted ? "A" : "B") << c.letter;
    }
}

TEST_F(ProjectDialogsTest, ExportWritesTheOccupiedSlotsAndTheDataFilesAndOpensTheExportFolder) {
    folder.SetIni("D", "CLIP1", "0x1");
    folder.SetIni("D", "CAPTION1", "");
    folder.SetIni("D", "CLIP3", "0xC0A1");
    folder.SetIni("D", "CAPTION3", "rich caption");
    folder.Write("FAVORITE\\DCLIPB1.DAT", std::string("one\0", 4));
    folder.Write("FAVORITE\\DCLIPB3.DAT", "{\\rtf1 three}");
    // Slot 3 is emptied between the two exports: the second replaces what the first left.
    for (int run = 1; run <= 2; ++run) {
        const bool third = run == 1;
        prompts.clear();
        Run({{kList, [](HWND dialog) {
                 Highlight(dialog, 'D');
                 Click(dialog, IDC_PROJECT_EXPORT);
                 Click(dialog, IDCANCEL);
             }}});
        EXPECT_EQ(folder.Read("EXPORT\\Delta\\CLIPB1.DAT"), std::string("one\0", 4));
        EXPECT_EQ(folder.Exists("EXPORT\\Delta\\CLIPB3.DAT"), third);
        EXPECT_FALSE(folder.Exists("EXPORT\\Delta\\CLIPB2.DAT"));
        EXPECT_EQ(folder.LogCount("Error copy to file - "), third ? 8 : 17);
        EXPECT_EQ(folder.LogCount("Error create directory - "), run - 1);
        ASSERT_EQ(prompts.size(), 2u);
        EXPECT_EQ(prompts[0].text, "Export completed successfully!\nProject <Delta> stored in EXPORT directory.");
        EXPECT_EQ(prompts[0].type, UINT{MB_OK | MB_ICONINFORMATION});
        EXPECT_EQ(prompts[1].kind, Prompt::Kind::ShellOpen);
        EXPECT_EQ(prompts[1].path, folder.File("EXPORT\\"));
        EXPECT_EQ(prompts[1].caption, "explore");
        for (const auto& [key, value] : {std::pair<const char*, const char*>{"NAME", "Delta"}, {"CLIP1", "0x1"},
                                         {"CAPTION1", ""}, {"CLIP3", third ? "0xC0A1" : "<missing>"},
                                         {"CAPTION3", third ? "rich caption" : "<missing>"}, {"CLIP2", "<missing>"}})
            EXPECT_EQ(folder.Ini("EXP", key, "EXPORT\\Delta\\Export.ini"), value) << key << " in run " << run;
        folder.SetIni("D", "CLIP3", nullptr);
        folder.SetIni("D", "CAPTION3", nullptr);
        folder.Remove("FAVORITE\\DCLIPB3.DAT");
    }
}

TEST_F(ProjectDialogsTest, OnlyOrdinaryFolderNamesAreExported) {
    for (const wchar_t* name : {L"", L".", L"..", L"..\\..\\Windows", L"a\\b", L"a/b", L"C:x", L"what?", L"star*",
                                L"<x>", L"pipe|", L"quote\"", L"tab\there", L"dot.", L"space ", L"CON", L"con.txt", L"PRN",
                                L"AUX", L"NUL", L"COM1", L"com9.log", L"LPT1", L"LPT9"})
        EXPECT_FALSE(IsPlainFolderName(name)) << name;
    for (const wchar_t* name : {L"Work", L"COM10", L"CONSOLE", L"a.b", L".hidden"})
        EXPECT_TRUE(IsPlainFolderName(name)) << name;

    PRJ_STR hostile;
    hostile.letter = 'B';
    std::strcpy(hostile.name, "..\\..\\Windows");
    folder.SetIni("B", "NAME", hostile.name);
    folder.SetIni("B", "CLIP1", "0x1");
    ExportProject(hostile);
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].text, "Error export project INI file!");
    EXPECT_EQ(prompts[0].type, UINT{MB_OK | MB_ICONHAND});
    EXPECT_TRUE(Logged("Error write to Export.ini"));
    EXPECT_TRUE(RemoveDirectoryW(folder.File("EXPORT").c_str())) << "EXPORT is no longer empty";
    EXPECT_FALSE(folder.Exists("..\\Windows"));

    // Without EXPORT the export folder cannot be made, and an ordinary name fails the same way.
    std::strcpy(hostile.name, "Work");
    ExportProject(hostile);
    ASSERT_EQ(prompts.size(), 2u);
    EXPECT_EQ(prompts[1].text, "Error export project INI file!");
    EXPECT_EQ(folder.LogCount("Error create directory - "), 1);
    EXPECT_FALSE(folder.Exists("EXPORT"));
}

// Each name that the run's ANSI code page can hold. Cuts keep whole characters: the list keeps 26
// bytes of a name, an import 25.
TEST_F(ProjectDialogsTest, ANameOutsideAsciiNamesItsExportFolderAndComesBackInAnotherInstallation) {
    const std::wstring thirteen(13, L'表');
    const struct {
        std::wstring name, listed, imported;
    } cases[] = {
        {L"Œuvre €", L"Œuvre €", L"Œuvre €"},
        {L"Работа", L"Работа", L"Работа"},
        {L"表計算", L"表計算", L"表計算"},
        {L"ポイント", L"ポイント", L"ポイント"},
        {L"a" + thirteen, L"a" + thirteen.substr(1), L"a" + thirteen.substr(1)},
        {thirteen, thirteen, thirteen.substr(1)},
    };
    int held = 0;
    for (const auto& c : cases) {
        const std::optional<std::string> name = HeldInAnsi(c.name);
        if (!name) continue;
        ++held;
        TestFolder from;
        from.SetIni("D", "NAME", name->c_str());
        from.SetIni("D", "CLIP1", "0x1");
        from.Write("FAVORITE\\DCLIPB1.DAT", "one");
        LoadProjects(window);
        UnregisterProjectHotKey(window, 'D');
        ASSERT_EQ(ProjectList.size(), 1u);
        EXPECT_EQ(ToWide(ProjectList[0].name), c.listed);
        prompts.clear();
        ExportProject(ProjectList[0]);
        ASSERT_EQ(prompts.size(), 2u) << c.name;
        EXPECT_EQ(prompts[0].type, UINT{MB_OK | MB_ICONINFORMATION}) << c.name;
        std::vector<std::wstring> exported;
        ForEachEntry(from.File("EXPORT"), [&](const std::wstring& entry, bool) { exported.push_back(entry); });
        EXPECT_EQ(exported, std::vector<std::wstring>{c.listed});

        TestFolder to;
        EXPECT_TRUE(ImportProject(from.Path() + L"\\EXPORT\\" + c.listed + L"\\Export.ini")) << c.name;
        EXPECT_EQ(ToWide(to.Ini("A", "NAME")), c.imported);
        EXPECT_EQ(to.Read("FAVORITE\\ACLIPB1.DAT"), "one") << c.name;
    }
    EXPECT_GT(held, 0);
}

namespace {

// An export folder as another installation left it.
void WriteExport(const ProgramFiles& folder, const std::string& name,
                 const std::vector<std::pair<const char*, std::string>>& keys) {
    CreateDirectoryW(folder.File("EXPORT\\" + name).c_str(), nullptr);
    for (const auto& [key, value] : keys) folder.SetIni("EXP", key, value.c_str(), "EXPORT\\" + name + "\\Export.ini");
    for (int slot = 1; slot <= 10; ++slot)
        folder.Write("EXPORT\\" + name + "\\CLIPB" + std::to_string(slot) + ".DAT", "bytes " + std::to_string(slot));
}

}  // namespace

TEST_F(ProjectDialogsTest, ImportCreatesTheNextFreeLetterWithTheExportedFavourites) {
    // Slot 5 is named but its data file is missing. A deleted project C left files of slots 2 and 5.
    WriteExport(folder, "Work",
                {{"NAME", "Work"}, {"CLIP1", "0x1"}, {"CLIP3", "0xC0A1"}, {"CAPTION3", "rich"}, {"CLIP5", "0x1"}});
    folder.Remove("EXPORT\\Work\\CLIPB5.DAT");
    for (const char* stale : {"FAVORITE\\CCLIPB2.DAT", "FAVORITE\\CCLIPB5.DAT"}) folder.Write(stale, "left by a deleted project C");
    std::wstring offeredFolder;
    AfxSetPromptResponder([&](const Prompt& prompt) {
        offeredFolder = prompt.path;
        *prompt.chosenFile = folder.File("EXPORT\\Work\\Export.ini");
        return IDOK;
    });
    std::vector<std::string> shown;
    Run({{kList, [&](HWND dialog) {
             Click(dialog, IDC_PROJECT_IMPORT);
             Click(dialog, IDC_PROJECT_IMPORT);
             shown = Entries(dialog);
             Click(dialog, IDCANCEL);
         }}});
    EXPECT_EQ(offeredFolder, folder.File("EXPORT\\"));
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown[2], "C=  Ctl-Win-C\t<Work>");
    EXPECT_EQ(shown[4], "E=  Ctl-Win-E\t<Work>");
    EXPECT_TRUE(HotkeyHeld('E'));
    EXPECT_EQ(CurrentPrj, 'B');
    const std::string rich = TypeValue(RichTextId());
    for (const char* section : {"C", "E"}) {
        EXPECT_EQ(folder.Ini(section, "CLIP1"), "0x1");
        EXPECT_EQ(folder.Ini(section, "CLIP3"), rich);
        EXPECT_EQ(folder.Ini(section, "CAPTION3"), "rich");
        EXPECT_EQ(folder.Ini(section, "CLIP2"), "<missing>");
        EXPECT_EQ(folder.Ini(section, "CLIP5"), "<missing>");
        EXPECT_EQ(folder.Read(std::string("FAVORITE\\") + section + "CLIPB3.DAT"), "bytes 3");
    }
    EXPECT_EQ(folder.LogCount("Error import file - "), 2);
    // The stale files are no favourites: the menu shows nothing and nothing is put.
    CurrentPrj = 'C';
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_TRAY_MENU));
    LoadFavorite(menu);
    EXPECT_EQ(menu.GetMenuString(ID_FAVORITE_FIRST + 1), "Win-2 <EMPTY>");
    EXPECT_EQ(menu.GetMenuString(ID_FAVORITE_FIRST + 4), "Win-5 <EMPTY>");
    EXPECT_EQ(PutFavClip(0x205), 1);
    EXPECT_EQ(menu.GetMenuString(ID_FAVORITE_FIRST), "Win-1 'bytes 1' ...");
}

TEST_F(ProjectsTest, ImportTakesOnlyWhatAProjectCanHold) {
    LoadProjects(window);
    const std::string longName(40, 'n');
    const std::string longCaption(40, 'c');
    WriteExport(folder, "dash", {{"NAME", "-"}, {"CLIP1", "0x1"}});
    WriteExport(folder, "unnamed", {{"CLIP1", "0x1"}});
    WriteExport(folder, "hostile", {{"NAME", longName}, {"CLIP1", "zz"}, {"CLIP2", "0x5"}, {"CLIP3", "0x1z"},
                                    {"CLIP4", "0x8"}, {"CAPTION4", longCaption}, {"CLIP5", "0x0"}, {"CLIP6", "0xD"}});
    EXPECT_FALSE(ImportProject(folder.File("EXPORT\\dash\\Export.ini")));
    EXPECT_FALSE(ImportProject(folder.File("EXPORT\\unnamed\\Export.ini")));
    EXPECT_EQ(folder.LogCount("Error read Export.ini"), 2);
    EXPECT_EQ(folder.Ini("A", "CLIP1"), "<missing>");

    EXPECT_TRUE(ImportProject(folder.File("EXPORT\\hostile\\Export.ini")));
    EXPECT_EQ(folder.Ini("A", "NAME"), std::string(25, 'n'));
    for (const char* key : {"CLIP1", "CLIP2", "CLIP3", "CLIP5", "CAPTION1"})
        EXPECT_EQ(folder.Ini("A", key), "<missing>") << key;
    EXPECT_FALSE(folder.Exists("FAVORITE\\ACLIPB1.DAT"));
    EXPECT_EQ(folder.Ini("A", "CLIP4"), "0x8");
    EXPECT_EQ(folder.Ini("A", "CAPTION4"), std::string(20, 'c'));
    EXPECT_EQ(folder.Read("FAVORITE\\ACLIPB4.DAT"), "bytes 4");
    EXPECT_EQ(folder.Ini("A", "CLIP6"), "0xD");  // Unicode text

    // With every letter taken there is no room for another.
    TakeEveryLetter();
    std::vector<Prompt> prompts;
    AfxSetPromptResponder([&](const Prompt& prompt) {
        prompts.push_back(prompt);
        return IDOK;
    });
    EXPECT_FALSE(ImportProject(folder.File("EXPORT\\hostile\\Export.ini")));
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].text, "Can not create another project!");

    // A Save.ini that cannot be written (here a folder): the import says so and copies no data file.
    ProjectList.clear();
    folder.Remove("Save.ini");
    folder.Remove("FAVORITE\\ACLIPB4.DAT");
    CreateDirectoryW(folder.File("Save.ini").c_str(), nullptr);
    ImportProject(folder.File("EXPORT\\hostile\\Export.ini"));
    AfxSetPromptResponder(nullptr);
    ASSERT_EQ(prompts.size(), 2u);
    EXPECT_EQ(prompts[1].text, "Error export project INI file!");
    EXPECT_EQ(prompts[1].type, UINT{MB_OK | MB_ICONHAND});
    EXPECT_FALSE(folder.Exists("FAVORITE\\ACLIPB4.DAT"));
}
