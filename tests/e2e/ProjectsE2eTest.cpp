// Favourites, projects and settings from the user's side: Ctrl+Win+digit stores the selection,
// Win+digit pastes it (also where the shell holds those keys), "Projects..." creates, selects,
// deletes, exports and imports projects, the first start turns start with Windows and append mode
// on, and Win+Insert pastes the appended texts. The installation lies in a folder named outside the
// ANSI code page, as a user's profile folder may be.
#include "E2eFixture.h"

namespace {

struct ProjectsE2e : E2eTest {
    ProjectsE2e() : E2eTest(L" Квортекс тест") {}
};

constexpr UINT kProjectsCommand = 32843;
constexpr UINT kRunAtStartupCommand = 32824;
constexpr int kProjectList = 1053;

int ListCount(HWND dialog) {
    DWORD_PTR count = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, kProjectList), LB_GETCOUNT, 0, 0, SMTO_NORMAL, 5000, &count);
    return static_cast<int>(count);
}

// Opens "List of Projects" with the tray menu's "Projects..." command.
HWND OpenProjectList(const Program& program) {
    PostMessageA(program.MainWindow(), WM_COMMAND, kProjectsCommand, 0);
    return WaitForDialog(program, "List of Projects");
}

// Presses one of the list's buttons: the message box it opens says the text and, answered OK, closes. The list
// takes no clicks while the box waits for its answer.
testing::AssertionResult PressAndAnswer(const Program& program, HWND list, int button, const std::string& text) {
    HWND box = PressAndWaitFor(program, list, button, "Quorvex");
    if (!box) return testing::AssertionFailure() << "no message box came up";
    if (!FindWindowExA(box, nullptr, "Static", text.c_str())) return testing::AssertionFailure() << "not " << text;
    if (IsWindowEnabled(list)) return testing::AssertionFailure() << "the list takes clicks while its box waits";
    return CloseWith(box, IDOK);
}

// Wine loads no comdlg32.dll into a Quorvex.exe while this override stands.
struct NoOpenFileDialogLibrary {
    NoOpenFileDialogLibrary() {
        RegSetKeyValueW(HKEY_CURRENT_USER, (std::wstring(kKey) + L"\\DllOverrides").c_str(), L"comdlg32", REG_SZ, L"",
                        sizeof(wchar_t));
    }
    ~NoOpenFileDialogLibrary() { RegDeleteTreeW(HKEY_CURRENT_USER, kKey); }
    static constexpr const wchar_t* kKey = L"Software\\Wine\\AppDefaults\\Quorvex.exe";
};

// Three starts, as on Windows 10 and 11 where the shell holds Win+digit and Ctrl+Win+digit and the program serves
// them itself. The first stores a recent clip and a favourite; the second pastes them, exports the project, creates,
// selects and deletes another, and, where Windows lacks the open-file dialog's library (loaded only when Import is
// pressed), says so and imports nothing; the third, in another installation, imports the exported project.
TEST_F(ProjectsE2e, FavouritesClipsSettingsAndProjectsAreKeptAcrossRestartsWhileTheShellHoldsTheFavouriteKeys) {
    // The name the project gets in the second start: outside ASCII in code page 1252, the run's, whose
    // characters lie outside Latin-1 too.
    const std::optional<std::string> name = HeldInAnsi(L"\u0152uvre \u20ac");
    ASSERT_TRUE(name) << "the run's ANSI code page is not 1252";
    CountingWindow shell("Quorvex e2e shell");  // its hotkeys go with it
    int id = 0;
    for (UINT modifiers : {UINT{MOD_CONTROL | MOD_WIN}, UINT{MOD_WIN}})
        for (char digit = '0'; digit <= '9'; ++digit) ASSERT_TRUE(RegisterHotKey(shell.handle, ++id, modifiers, digit));
    {
        Program program(m_install);
        ASSERT_TRUE(program.Ready()) << "start-up failed with the favourite keys held elsewhere";
        EXPECT_EQ(RunValue(HKEY_LOCAL_MACHINE), L"\"" + m_install.Exe() + L"\"");
        ASSERT_TRUE(CopyAndWaitForCapture("kept across runs", 1));
        ASSERT_TRUE(PostMessageA(program.MainWindow(), WM_COMMAND, kRunAtStartupCommand, 0));
        ASSERT_TRUE(PumpUntil([] { return SettingValue(HKEY_LOCAL_MACHINE, "RunAtStartup") == 0; }, kStepTimeoutMs));
        TypingTarget source;
        SetWindowTextA(source.edit, "favourite text");
        SendMessageA(source.edit, EM_SETSEL, 0, -1);
        ASSERT_TRUE(source.TakeFocus());
        PressKeys({VK_CONTROL, VK_LWIN, '1'});
        // Its entry is written before its file takes its name.
        EXPECT_TRUE(PumpUntil([&] { return m_install.Read("FAVORITE\\ACLIPB1.DAT") == TextBlock("favourite text"); },
                              kStepTimeoutMs));
        EXPECT_EQ(m_install.Ini("A", "CLIP1"), "0x1");
        // The copy made for the favourite is no recent clip.
        EXPECT_TRUE(HandledAllPostedAndRuns(program));
        EXPECT_EQ(m_install.Ini("RECENTS", "RECCLIP2"), "0x0");
        // "-exit" finds the running instance by its image path, folder name and all.
        EXPECT_TRUE(RunToEnd(m_install.Exe(), "-exit"));
        ASSERT_TRUE(program.WaitForEnd());
    }
    // Nothing runs now, so emptying the clipboard is not captured by anyone.
    ASSERT_TRUE(ClearClipboard());
    m_install.SetIni("A", "NAME", name->c_str());
    {
        NoOpenFileDialogLibrary noLibrary;
        Program program(m_install);
        ASSERT_TRUE(program.Ready());
        // Waiting for input is no sign that start-up is over (the first capture waits too): the keys are
        // pressed once a posted message was handled, in the message loop that follows the hook's start.
        ASSERT_TRUE(HandledAllPostedAndRuns(program));
        EXPECT_EQ(RunValue(HKEY_LOCAL_MACHINE), L"<missing>") << "start with Windows stayed off";
        {
            TypingTarget editor;
            ASSERT_TRUE(editor.TakeFocus());
            PressKeys({VK_LWIN, '1'});
            EXPECT_TRUE(EditorShows(editor, L"favourite text"));
            PressKeys({VK_CONTROL, '1'});
            EXPECT_TRUE(EditorShows(editor, L"favourite textkept across runs"));
            // An empty slot pastes nothing, and its digit never reaches the editor either; other keys pass.
            PressKeys({VK_LWIN, '7'});
            PressKeys({'Z'});
            EXPECT_TRUE(EditorShows(editor, L"favourite textkept across runsz"));
            PressKeys({VK_LWIN, VK_INSERT});
            EXPECT_TRUE(EditorShows(editor, L"favourite textkept across runszkept across runs\r\n"));
            EXPECT_EQ(shell.Received(), 0) << "the shell's hotkeys fired";
        }
        // What Win+Insert put on the clipboard was neither captured nor appended again.
        ASSERT_TRUE(CopyAndWaitForCapture("after the restart", 2));
        EXPECT_EQ(m_install.Read("ClipAppends.txt"), "kept across runs\r\nafter the restart\r\n");

        HWND list = OpenProjectList(program);
        ASSERT_NE(list, nullptr);
        ASSERT_TRUE(PressAndAnswer(program, list, 1055,  // Export
                                   "Export completed successfully!\nProject <" + *name + "> stored in EXPORT "
                                   "directory."));
        ASSERT_TRUE(PumpUntil([&] { return m_install.Exists("EXPORT\\" + *name + "\\CLIPB1.DAT"); }, kStepTimeoutMs));
        // The shell shows the EXPORT folder in a window of its own; the test closes it again.
        HWND folderWindow = nullptr;
        EXPECT_TRUE(PumpUntil([&] { return (folderWindow = FindWindowA("ExplorerWClass", "EXPORT")) != nullptr; },
                              kStepTimeoutMs));
        if (folderWindow) PostMessageA(folderWindow, WM_CLOSE, 0, 0);

        // New: the next letter, B, with the name typed into "New Project".
        HWND newProject = PressAndWaitFor(program, list, 1054, "New Project");
        ASSERT_NE(newProject, nullptr);
        char hotkey[32] = "";
        GetDlgItemTextA(newProject, 1055, hotkey, sizeof hotkey);
        EXPECT_STREQ(hotkey, "Ctl - Win - B");
        SetDlgItemTextA(newProject, 1004, "Work");
        ClickButton(newProject, IDOK);
        EXPECT_TRUE(PumpUntil([&] { return ListCount(list) == 2; }, kStepTimeoutMs));
        EXPECT_EQ(m_install.Ini("B", "NAME"), "Work");
        ASSERT_TRUE(PressAndAnswer(program, list, 1056,  // Import...
                                   "The open-file dialog could not be loaded (comdlg32.dll), so no project can be "
                                   "imported."));
        EXPECT_EQ(m_install.LogCount("Error 0x7E loading comdlg32.dll: the open-file dialog cannot be shown"), 1);
        EXPECT_EQ(ListCount(list), 2);
        ASSERT_TRUE(CloseWith(list, IDCANCEL));

        // Its hotkey makes it current.
        PressKeys({VK_CONTROL, VK_LWIN, 'B'});
        EXPECT_TRUE(PumpUntil([&] { return m_install.Ini("CURRENT_PRJ", "PRJ") == "B"; }, kStepTimeoutMs));

        // Delete, answered OK in the real question, makes A current again.
        list = OpenProjectList(program);
        ASSERT_NE(list, nullptr);
        SendMessageA(GetDlgItem(list, kProjectList), LB_SETCURSEL, 1, 0);
        ASSERT_TRUE(PressAndAnswer(program, list, 4, "Are you sure to delete project B <Work>?"));
        EXPECT_TRUE(PumpUntil([&] { return ListCount(list) == 1; }, kStepTimeoutMs));
        EXPECT_EQ(m_install.Ini("B", "NAME"), "<missing>");
        EXPECT_EQ(m_install.Ini("CURRENT_PRJ", "PRJ"), "A");
        ASSERT_TRUE(CloseWith(list, IDCANCEL));
        EXPECT_TRUE(KeysPasteIntoAnEditor({VK_LWIN, '1'}, L"favourite text"));
    }

    // The exported project imported into another installation, whose own project A is Home, with the
    // favourite keys free again.
    for (int held = 1; held <= id; ++held) UnregisterHotKey(shell.handle, held);
    Installation other;
    ASSERT_TRUE(other.Ready());
    other.SetIni("A", "NAME", "Home");
    Program program(other);
    ASSERT_TRUE(program.Ready());
    HWND list = OpenProjectList(program);
    ASSERT_NE(list, nullptr);
    HWND open = PressAndWaitFor(program, list, 1056, "Import Project");
    ASSERT_NE(open, nullptr);
    // The open-file dialog's file name box (cmb13).
    const std::wstring exported = m_install.File("EXPORT\\" + *name + "\\Export.ini");
    ASSERT_TRUE(SetDlgItemTextW(open, 0x47C, exported.c_str()));
    ClickButton(open, IDOK);
    EXPECT_TRUE(PumpUntil([&] { return ListCount(list) == 2; }, kStepTimeoutMs));
    EXPECT_EQ(other.Ini("B", "NAME"), *name);
    ASSERT_TRUE(CloseWith(list, IDCANCEL));
    PressKeys({VK_CONTROL, VK_LWIN, 'B'});
    EXPECT_TRUE(PumpUntil([&] { return other.Ini("CURRENT_PRJ", "PRJ") == "B"; }, kStepTimeoutMs));
    EXPECT_TRUE(KeysPasteIntoAnEditor({VK_LWIN, '1'}, L"favourite text"));
}

}  // namespace
