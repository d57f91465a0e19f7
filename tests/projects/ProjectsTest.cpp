#include "projects/Projects.h"

#include <functional>
#include <string>
#include <vector>

#include "base/CurrentProject.h"
#include "framework/Prompts.h"
#include "projects/ProjectDialogs.h"
#include "res/resource.h"
#include "support/ClipStoreFixture.h"

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
    // Whether Ctrl+Win+letter is taken, tried from another registration.
    static bool HotkeyHeld(char letter) {
        if (!RegisterHotKey(nullptr, 0xB000, MOD_CONTROL | MOD_WIN, static_cast<UINT>(letter))) return true;
        UnregisterHotKey(nullptr, 0xB000);
        return false;
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
    std::string hotkeyShown;
    std::vector<std::string> shown;
    Run({{kList, [](HWND dialog) { Click(dialog, IDC_PROJECT_NEW); }},
         {kNew,
          [&](HWND dialog) {
              char text[64] = "";
              GetDlgItemTextA(dialog, IDC_NEW_PROJECT_HOTKEY, text, sizeof text);
              hotkeyShown = text;
              SetDlgItemTextA(dialog, IDC_NEW_PROJECT_NAME, "Work");
              Click(dialog, IDOK);
          }},
         {kList, [&](HWND dialog) {
              shown = Entries(dialog);
              Click(dialog, IDCANCEL);
          }}});
    EXPECT_EQ(hotkeyShown, "Ctl - Win - C");
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[2], "C=  Ctl-Win-C\t<Work>");
    EXPECT_EQ(folder.Ini("C", "NAME"), "Work");
    EXPECT_TRUE(HotkeyHeld('C'));
    EXPECT_EQ(CurrentPrj, 'B');

    // With every letter taken, New refuses at once.
    for (char letter = 'A'; letter <= 'Z'; ++letter) folder.SetIni(std::string(1, letter).c_str(), "NAME", "p");
    LoadProjects(window);
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
