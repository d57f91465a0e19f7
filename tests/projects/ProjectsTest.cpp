#include "projects/Projects.h"

#include "clips/Favorites.h"
#include "framework/Prompts.h"
#include "projects/ProjectDialogs.h"
#include "projects/ProjectTransfer.h"
#include "res/resource.h"
#include "support/ClipStoreFixture.h"
#include "support/KeyboardRecorder.h"
#include "support/Pump.h"
#include "support/WindowText.h"

// Projects A "Alpha", B "Beta" (current) and D "Delta" in Save.ini, a window that holds the project
// hotkeys (released with it), and the prompts: message box texts gathered in `said`, each answered
// with `answer`; an open-file dialog chooses `chosenFile`.
class ProjectsTest : public ClipStoreTest {
protected:
    void SetUp() override {
        ClipStoreTest::SetUp();
        window = CreateWindowA("STATIC", "Quorvex test hotkeys", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        for (auto [letter, name] : {std::pair{"A", "Alpha"}, {"B", "Beta"}, {"D", "Delta"}})
            folder.SetIni(letter, "NAME", name);
        folder.SetIni("CURRENT_PRJ", "PRJ", "B");
        AfxSetPromptResponder([this](const Prompt& prompt) {
            if (prompt.kind == Prompt::Kind::MessageBox) said += prompt.text + "|";
            if (prompt.chosenFile) *prompt.chosenFile = chosenFile;
            return answer;
        });
    }
    void TearDown() override {
        AfxSetPromptResponder(nullptr);
        DestroyWindow(window);
        ProjectList.clear();
        ClipStoreTest::TearDown();
    }
    // ProjectList as "<letter>:<name>" entries, '*' after the current one.
    static std::string Listed() {
        std::string listed;
        for (const PRJ_STR& p : ProjectList)
            listed += std::string(" ") + p.letter + ":" + p.name + (p.selected ? "*" : "");
        return listed.erase(0, 1);  // the first space
    }
    // An INI file's section as "key=value|" entries in the file's order.
    std::string Section(const char* section, const std::string& file = "Save.ini") const {
        wchar_t text[2048] = L"";
        const DWORD size = GetPrivateProfileSectionW(ToWide(section).c_str(), text, 2048, folder.File(file).c_str());
        std::replace(text, text + size, L'\0', L'|');
        return ToAnsi(std::wstring(text, size));
    }
    // Runs the project list in its modal loop: `onList` acts on it once it shows, `onNew` on a New
    // Project dialog it opens.
    void Run(std::function<void(HWND)> onList, std::function<void(HWND)> onNew = nullptr) {
        EXPECT_TRUE(ActOnDialogs({{"List of Projects", std::move(onList)}, {"New Project", std::move(onNew)}},
                                 [this] { CProject(window).DoModal(); }))
            << "the list did not show";
    }

    HWND window = nullptr;
    std::string said;
    std::wstring chosenFile;
    int answer = IDOK;
};

// Save.ini as a hand edit may leave it, while another program holds Ctrl+Win+Z.
TEST_F(ProjectsTest, TheLoaderReadsEveryLetterOfSaveIni) {
    // B "-" is no project.
    for (auto [letter, name] : {std::pair<const char*, std::string>{"B", "-"}, {"C", ""}, {"Z", std::string(40, 'n')}})
        folder.SetIni(letter, "NAME", name.c_str());
    RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_WIN, 'Z');
    // A current letter without a project selects none, and so does an empty one; none stored means A.
    for (const char* current : {"B", "", static_cast<const char*>(nullptr)}) {
        folder.SetIni("CURRENT_PRJ", "PRJ", current);
        LoadProjects(window);
        EXPECT_EQ(Listed(), (current ? "A:Alpha" : "A:Alpha*") + std::string(" C: D:Delta Z:") + std::string(26, 'n'));
    }
    UnregisterHotKey(nullptr, 1);
    EXPECT_EQ(folder.LogCount("Can't register Ctl-Win-Z !"), 3);
    EXPECT_EQ(folder.LogCount("Can't register Ctl-Win-A !"), 0);  // its window took it at the load before
}

TEST_F(ProjectsTest, TheListDeletesCreatesAndSelectsProjects) {
    // The list position highlighted (A, B, D), the button clicked, the answer to Delete's question or the New Project
    // dialog's button, the name typed there, the message box texts and ProjectList afterwards.
    const struct {
        int highlighted, button, answer;
        std::wstring typed;
        const char* said;
        std::wstring listed;
        bool cStoredMeanwhile = false;  // while New is open, a favourite (Ctrl+Win+digit) makes the letter it offers
        // The keys that select a project, and how the list and New Project name them.
        KeySet projectKeys = MOD_CONTROL | MOD_WIN;
        const char* entry = "  Ctl-Win-D\t<Delta>";
        const char* label = "Ctl - Win - C";
    } cases[] = {
        {0, IDCANCEL, IDOK, L"", "", L"A:Alpha B:Beta* D:Delta"},  // Close after highlighting another entry
        {0, IDC_PROJECT_DELETE, IDOK, L"", "Can't remove default project 'A'!|", L"A:Alpha B:Beta* D:Delta"},
        {-1, IDC_PROJECT_DELETE, IDOK, L"", "", L"A:Alpha B:Beta* D:Delta"},  // no entry highlighted
        {2, IDC_PROJECT_DELETE, IDCANCEL, L"", "Are you sure to delete project D <Delta>?|",
         L"A:Alpha B:Beta* D:Delta"},
        {2, IDC_PROJECT_DELETE, IDOK, L"", "Are you sure to delete project D <Delta>?|", L"A:Alpha* B:Beta"},
        // New takes the next free letter without making it current. Its name box takes 25 bytes: a
        // double-byte code page's name is cut between two characters.
        {0, IDC_PROJECT_NEW, IDOK, L"Work", "", L"A:Alpha B:Beta* C:Work D:Delta"},
        {0, IDC_PROJECT_NEW, IDOK, L"", "", L"A:Alpha B:Beta* C: D:Delta"},
        {0, IDC_PROJECT_NEW, IDCANCEL, L"Work", "", L"A:Alpha B:Beta* D:Delta"},
        {0, IDC_PROJECT_NEW, IDOK, L"Work", "", L"A:Alpha B:Beta* C:Kept D:Delta E:Work", true},
        {0, IDC_PROJECT_NEW, IDOK, L"abcdefghijklmnopqrstuvwxyz0123", "",
         L"A:Alpha B:Beta* C:abcdefghijklmnopqrstuvwxy D:Delta"},
        {0, IDC_PROJECT_NEW, IDOK, std::wstring(25, L'表'), "",
         L"A:Alpha B:Beta* C:" + std::wstring(12, L'表') + L" D:Delta"},
        {0, IDC_PROJECT_NEW, IDOK, L"Work", "", L"A:Alpha B:Beta* C:Work D:Delta", false, MOD_CONTROL | MOD_ALT,
         "  Ctl-Alt-D\t<Delta>", "Ctl - Alt - C"},
        {0, IDC_PROJECT_NEW, IDOK, L"Work", "", L"A:Alpha B:Beta* C:Work D:Delta", false, kKeysOff, "  D\t<Delta>",
         "C"},
        {2, IDC_PROJECT_EXPORT, IDOK, L"",
         "Export completed successfully!\nProject <Delta> stored in EXPORT directory.|", L"A:Alpha B:Beta* D:Delta"},
        {2, IDOK, IDOK, L"", "", L"A:Alpha B:Beta D:Delta*"},
    };
    for (const auto& c : cases) {
        if (!HeldInAnsi(c.typed)) continue;
        folder.SetIni("C", nullptr, nullptr);
        folder.SetIni("D", "NAME", "Delta");
        folder.SetIni("CURRENT_PRJ", "PRJ", "B");
        folder.Write("FAVORITE\\CCLIPB2.DAT", "left by a deleted C");
        said.clear();
        answer = c.answer;
        KeySets sets = DefaultKeySets();
        sets[Index(HotkeyGroup::Project)] = c.projectKeys;
        SetKeySetsInForce(sets);
        LRESULT entries = 0;
        Run(
            [&](HWND dialog) {
                char entry[64] = "";
                SendDlgItemMessageA(dialog, IDC_PROJECT_LIST, LB_GETTEXT, 2, reinterpret_cast<LPARAM>(entry));
                EXPECT_STREQ(entry, c.entry);
                SendDlgItemMessageA(dialog, IDC_PROJECT_LIST, LB_SETCURSEL, c.highlighted, 0);
                SendDlgItemMessageA(dialog, c.button, BM_CLICK, 0, 0);
                entries = SendDlgItemMessageA(dialog, IDC_PROJECT_LIST, LB_GETCOUNT, 0, 0);
                if (c.button != IDOK) SendDlgItemMessageA(dialog, IDCANCEL, BM_CLICK, 0, 0);
            },
            [&](HWND dialog) {
                char hotkey[32] = "";
                GetDlgItemTextA(dialog, IDC_NEW_PROJECT_HOTKEY, hotkey, sizeof hotkey);
                EXPECT_STREQ(hotkey, c.label);
                // The label has room for the longest set with the widest letter.
                SetDlgItemTextA(dialog, IDC_NEW_PROJECT_HOTKEY, "Ctl - Alt - Shf - Win - W");
                EXPECT_TRUE(ShowsAllItsText(GetDlgItem(dialog, IDC_NEW_PROJECT_HOTKEY)));
                // Typed or pasted: the box takes no more than a name holds.
                SendDlgItemMessageW(dialog, IDC_NEW_PROJECT_NAME, EM_REPLACESEL, FALSE,
                                    reinterpret_cast<LPARAM>(c.typed.c_str()));
                EXPECT_LE(GetWindowTextLengthW(GetDlgItem(dialog, IDC_NEW_PROJECT_NAME)), 25);
                if (c.cStoredMeanwhile) {
                    folder.SetIni("C", "NAME", "Kept");
                    folder.Write("FAVORITE\\CCLIPB2.DAT", "stored meanwhile");
                    LoadProjects(window);
                }
                SendDlgItemMessageA(dialog, c.answer, BM_CLICK, 0, 0);
            });
        EXPECT_EQ(ToWide(Listed()), c.listed);
        EXPECT_EQ(entries, static_cast<LRESULT>(ProjectList.size())) << "the list shows every project";
        EXPECT_EQ(said, c.said);
        EXPECT_EQ(HotkeyTaken(c.projectKeys, 'D'), c.projectKeys != kKeysOff && FindProject('D') != nullptr);
        EXPECT_EQ(folder.Ini("CURRENT_PRJ", "PRJ"), std::string(1, CurrentPrj));
        EXPECT_EQ(folder.Exists("FAVORITE\\CCLIPB2.DAT"), !FindProject('C') || c.cStoredMeanwhile)
            << "a new C starts without clips";
        folder.SetIni("E", nullptr, nullptr);
    }
    EXPECT_EQ(folder.LogCount("Error save INI!"), 0);  // every change reached Save.ini

    // No default project where one exists; the current one's position; a removed letter.
    CreateDefaultProject(window);
    EXPECT_EQ(GetCurrentPrjIndex(), 2);
    RemoveProject('D');
    EXPECT_EQ(Listed(), "A:Alpha B:Beta");
    EXPECT_EQ(GetCurrentPrjIndex(), -1);
}

// Each name that the run's ANSI code page can hold (as given, as listed, as imported; slot 10 named in Save.ini or
// not, with a data file or without). Cuts keep whole characters: the list keeps 26 bytes of a name, an import 25.
// Only the slots Save.ini names travel: a data file a deleted project left under the letter stays home. Every slot
// that is not copied is logged, on the way out and on the way in.
TEST_F(ProjectsTest, AnExportReplacesAnEarlierOneAndIsImportedUnderTheNextFreeLetter) {
    const std::wstring thirteen(13, L'表');
    const struct {
        std::wstring given, listed, imported;
        bool tenthNamed, tenthFile;
    } cases[] = {
        {.given = L"Delta", .listed = L"Delta", .imported = L"Delta", .tenthNamed = true, .tenthFile = true},
        // Replaces the folder the first export left.
        {.given = L"Delta", .listed = L"Delta", .imported = L"Delta", .tenthNamed = false, .tenthFile = true},
        {.given = L"Œuvre €", .listed = L"Œuvre €", .imported = L"Œuvre €", .tenthNamed = true, .tenthFile = true},
        {.given = L"Работа", .listed = L"Работа", .imported = L"Работа", .tenthNamed = false, .tenthFile = false},
        {.given = L"表計算", .listed = L"表計算", .imported = L"表計算", .tenthNamed = true, .tenthFile = true},
        {.given = L"ポイント", .listed = L"ポイント", .imported = L"ポイント", .tenthNamed = true, .tenthFile = true},
        {.given = L"a" + thirteen, .listed = L"a" + thirteen.substr(1), .imported = L"a" + thirteen.substr(1),
         .tenthNamed = true, .tenthFile = true},
        {.given = thirteen, .listed = thirteen, .imported = thirteen.substr(1), .tenthNamed = true, .tenthFile = true},
    };
    folder.SetIni("D", "CLIP1", "0x1");
    folder.Write("FAVORITE\\DCLIPB1.DAT", std::string("one\0", 4));
    std::wstring exportedBefore;
    for (const auto& c : cases) {
        const std::optional<std::string> name = HeldInAnsi(c.given);
        if (!name) continue;
        const std::string exported = "EXPORT\\" + ToAnsi(c.listed) + "\\";
        DeleteLog();
        folder.SetIni("C", nullptr, nullptr);
        folder.SetIni("D", "NAME", name->c_str());
        folder.SetIni("D", "CLIP10", c.tenthNamed ? "0x1" : nullptr);
        folder.Remove("FAVORITE\\DCLIPB10.DAT");
        if (c.tenthFile) folder.Write("FAVORITE\\DCLIPB10.DAT", "ten");
        LoadProjects(window);
        ExportProject(*FindProject('D'));
        EXPECT_EQ(Section("EXP", exported + "Export.ini"),
                  "NAME=" + *name + "|CLIP1=0x1|CAPTION1=|" + (c.tenthNamed ? "CLIP10=0x1|CAPTION10=|" : ""));
        EXPECT_EQ(folder.Exists(exported + "CLIPB10.DAT"), c.tenthNamed);
        EXPECT_EQ(folder.LogCount("Error create directory - "), c.listed == exportedBefore ? 1 : 0);
        EXPECT_EQ(folder.LogCount("Error copy to file - "), c.tenthNamed ? 8 : 9);
        EXPECT_TRUE(ImportProject(folder.File(exported + "Export.ini")));
        EXPECT_EQ(Section("C"), ToAnsi(L"NAME=" + c.imported + L"|CLIP1=0x1|CAPTION1=|") +
                                    (c.tenthNamed ? "CLIP10=0x1|CAPTION10=|" : ""));
        EXPECT_EQ(folder.LogCount("Error import file - "), c.tenthNamed ? 8 : 9);
        exportedBefore = c.listed;
    }
}

TEST_F(ProjectsTest, OnlyOrdinaryFolderNamesAreExported) {
    for (const wchar_t* name : {L"", L".", L"..", L"..\\..\\Windows", L"a\\b", L"a/b", L"C:x", L"what?", L"star*",
                                L"<x>", L"pipe|", L"quote\"", L"tab\there", L"dot.", L"space ", L"CON", L"con.txt",
                                L"CON .txt", L"PRN", L"AUX", L"NUL", L"COM1", L"com9.log", L"LPT1", L"LPT9"})
        EXPECT_FALSE(IsPlainFolderName(name)) << name;
    for (const wchar_t* name : {L"Work", L"a b", L"COM10", L"CONSOLE", L"a.b", L".hidden"})
        EXPECT_TRUE(IsPlainFolderName(name)) << name;

    ExportProject({'B', "..\\..\\Windows"});
    ASSERT_TRUE(RemoveDirectoryW(folder.File("EXPORT").c_str())) << "EXPORT is no longer empty";
    // Without EXPORT the export folder cannot be made, and an ordinary name fails the same way.
    ExportProject({'B', "Work"});
    EXPECT_EQ(said, "Error export project INI file!|Error export project INI file!|");
}

TEST_F(ProjectsTest, ImportTakesTheNextFreeLetterAndOnlyWhatAProjectCanHold) {
    // An export of another installation. Slot 8 is named but its data file is missing. No release ever stored a
    // bitmap handle (0x2): its bytes would be no picture. Slot 3's type reads as Save.ini's types read, up to its text.
    const std::string work = "EXPORT\\Work\\", ini = work + "Export.ini";
    CreateDirectoryW(folder.File(work).c_str(), nullptr);
    for (const auto& [key, value] :
         {std::pair<const char*, std::string>{"NAME", std::string(40, 'n')}, {"CLIP1", "zz"}, {"CLIP2", "0x5"},
          {"CLIP3", "0x1 junk"}, {"CLIP4", "0x8"}, {"CAPTION4", std::string(40, 'c')}, {"CLIP5", "0x2"},
          {"CLIP6", "0xD"}, {"CLIP7", "0xC0A1"}, {"CLIP8", "0x1"}, {"CLIP10", "0x1"}})
        folder.SetIni("EXP", key, value.c_str(), ini);
    for (int slot : {1, 2, 3, 4, 5, 6, 7, 9, 10}) folder.Write(work + "CLIPB" + std::to_string(slot) + ".DAT", "bytes");
    chosenFile = folder.File(ini);
    // A deleted project C left a key and data files.
    folder.SetIni("C", "CLIP9", "0x1");
    for (const char* stale : {"FAVORITE\\CCLIPB1.DAT", "FAVORITE\\CCLIPB8.DAT"}) folder.Write(stale, "left by C");
    Run([](HWND dialog) {
        SendDlgItemMessageA(dialog, IDC_PROJECT_IMPORT, BM_CLICK, 0, 0);
        SendDlgItemMessageA(dialog, IDCANCEL, BM_CLICK, 0, 0);
    });
    EXPECT_EQ(Listed(), "A:Alpha B:Beta* C:" + std::string(25, 'n') + " D:Delta");
    EXPECT_EQ(Section("C"), "NAME=" + std::string(25, 'n') + "|CLIP3=0x1|CAPTION3=|CLIP4=0x8|CAPTION4=" +
                                std::string(20, 'c') + "|CLIP6=0xD|CAPTION6=|CLIP7=" + TypeValue(RichTextId()) +
                                "|CAPTION7=|CLIP10=0x1|CAPTION10=|");
    EXPECT_FALSE(folder.Exists("FAVORITE\\CCLIPB1.DAT") || folder.Exists("FAVORITE\\CCLIPB8.DAT"));
    EXPECT_EQ(folder.LogCount("Error import file - "), 5);
    // The tray menu shows an imported slot as the project's favourite.
    CurrentPrj = 'C';
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_TRAY_MENU));
    LoadFavorite(menu);
    EXPECT_EQ(menu.GetMenuString(ID_FAVORITE_FIRST + 9), "Win-10 'bytes' ...");
    // A data file too large for a clip is not copied: imported again, as E, slot 10 holds the largest a clip takes.
    folder.Write(work + "CLIPB4.DAT", std::string(250000, 'p'));
    folder.Write(work + "CLIPB10.DAT", std::string(249999, 't'));
    EXPECT_TRUE(ImportProject(chosenFile));
    EXPECT_EQ(Section("E"), "NAME=" + std::string(25, 'n') + "|CLIP3=0x1|CAPTION3=|CLIP6=0xD|CAPTION6=|CLIP7=" +
                                TypeValue(RichTextId()) + "|CAPTION7=|CLIP10=0x1|CAPTION10=|");
    EXPECT_FALSE(folder.Exists("FAVORITE\\ECLIPB4.DAT"));
    EXPECT_EQ(folder.Read("FAVORITE\\ECLIPB10.DAT").size(), 249999u);

    // With every letter taken, New and Import find no letter.
    for (char letter = 'A'; letter <= 'Z'; ++letter) folder.SetIni(std::string(1, letter).c_str(), "NAME", "p");
    LoadProjects(window);
    EXPECT_EQ(CNewPrj().DoModal(), 0);
    EXPECT_FALSE(ImportProject(chosenFile));
    // A Save.ini that cannot be written (here a folder): the import says so and copies no data file.
    ProjectList.clear();
    folder.Remove("Save.ini");
    CreateDirectoryW(folder.File("Save.ini").c_str(), nullptr);
    ImportProject(chosenFile);
    EXPECT_FALSE(folder.Exists("FAVORITE\\ACLIPB4.DAT"));
    EXPECT_EQ(said, "Can not create another project!|Can not create another project!|Error export project INI file!|");
    // A name of "-" would hide the project while its keys stay; an unnamed export is no project either.
    for (const char* name : {"-", static_cast<const char*>(nullptr)}) {
        folder.SetIni("EXP", "NAME", name, ini);
        EXPECT_FALSE(ImportProject(chosenFile));
    }
}
