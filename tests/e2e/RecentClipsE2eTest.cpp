// Recent clips from the user's side: copies made in other programs are captured, and Ctrl+digit
// pastes them into the window that has the keyboard focus.
#include <array>
#include <random>

#include "E2eFixture.h"
#include "support/TrayIconShell.h"
#include "support/WindowText.h"

namespace {

using RecentClipsE2e = E2eTest;

TEST_F(RecentClipsE2e, CopiesInAnotherProgramBecomeRecentClipsThatCtrlDigitPastesIntoTheFocusedWindow) {
    Program program(m_install);
    ASSERT_TRUE(program.Ready());
    ASSERT_TRUE(CopyAndWaitForCapture("older clip", 1));
    ASSERT_TRUE(CopyAndWaitForCapture("newer clip", 2));
    const std::wstring unicode = L"Привет, мир 😀 日本 café";
    ASSERT_TRUE(FillClipboard({{CF_UNICODETEXT, Utf16Bytes(unicode)}}));
    ASSERT_TRUE(PumpUntil([&] { return m_install.Read(RecentFile(3)) == Utf16Bytes(unicode); }, kStepTimeoutMs));
    ASSERT_TRUE(ClearClipboard());

    TypingTarget editor;
    ASSERT_TRUE(editor.TakeFocus()) << "the test's editor could not get the keyboard focus";
    // Ctrl held down while 1, 2 and 3 are pressed, as people do: each pastes, no digit is typed.
    // 2 is held long enough to repeat: it still pastes once.
    ASSERT_TRUE(HoldKey(VK_CONTROL));
    PressKeys({'1'});
    EXPECT_TRUE(EditorShows(editor, unicode));
    for (int repeat = 0; repeat < 4; ++repeat) SendKey('2', false);
    SendKey('2', true);
    EXPECT_NE(GetAsyncKeyState(VK_CONTROL) & 0x8000, 0) << "the paste released the Ctrl the user holds";
    PressKeys({'3'});
    SendKey(VK_CONTROL, true);
    EXPECT_TRUE(EditorShows(editor, unicode + L"newer clipolder clip"));
    // Win+Insert pastes the append file: each copy, every character of it.
    PressKeys({VK_LWIN, VK_INSERT});
    EXPECT_TRUE(EditorShows(editor, unicode + L"newer clipolder clipolder clip\r\nnewer clip\r\n" + unicode + L"\r\n"));
}

// Keys a person or an administrator chose: recent clips pasted with Ctrl+Alt leave Ctrl+digit to other programs, and
// favourites stored and pasted by no key leave Win+digit while the menu still puts them; the first start names the
// keys in force. A start that finds Ctrl+5 held elsewhere says so, then offers the Keys dialog, where OK names Ctrl+5
// again while it is held, and Ctrl+Alt for the recent clips lets the program run.
TEST_F(RecentClipsE2e, ChosenKeysPasteAndLeaveTheDefaultsFreeAndAStartFindingOneHeldOffersOthers) {
    StandInTaskbar taskbar;
    SetSettingText(HKEY_LOCAL_MACHINE, "RecentKeys", "Ctrl+Alt");
    for (const char* off : {"FavoriteStoreKeys", "FavoritePasteKeys"}) SetSettingText(HKEY_LOCAL_MACHINE, off, "Off");
    for (const auto& [key, value] : {std::pair{"NAME", "Work"}, {"CLIP1", "0x1"}}) m_install.SetIni("A", key, value);
    m_install.Write("FAVORITE\\ACLIPB1.DAT", TextBlock("favourite"));
    {
        Program program(m_install);
        ASSERT_TRUE(program.Ready());
        ASSERT_TRUE(PumpUntil([&] { return !taskbar.Balloons(program.MainWindow()).empty(); }, kStepTimeoutMs));
        EXPECT_EQ(taskbar.Balloons(program.MainWindow())[0].text,
                  L"Clipboard Quorvex is running. Ctrl+Alt+1 \u2026 Ctrl+Alt+0 paste the recent clips. Right-click its "
                  L"icon in the notification area for the menu.");
        ASSERT_TRUE(CopyAndWaitForCapture("older", 1));
        ASSERT_TRUE(CopyAndWaitForCapture("newer", 2));
        EXPECT_TRUE(KeysPasteIntoAnEditor({VK_CONTROL, VK_MENU, '2'}, L"older"));
        for (char digit = '0'; digit <= '9'; ++digit)
            EXPECT_FALSE(HotkeyTaken(MOD_CONTROL, digit) || HotkeyTaken(MOD_WIN, digit)) << digit;
        PostMessageA(program.MainWindow(), WM_COMMAND, 32802, 0);  // Favorites item 1
        EXPECT_TRUE(PumpUntil([] { return ClipboardText() == "favourite"; }, kStepTimeoutMs));
    }
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kSettingsKey, "RecentKeys");
    CountingWindow other("Quorvex e2e other program");
    ASSERT_TRUE(RegisterHotKey(other.handle, 1, MOD_CONTROL, '5'));
    Program program(m_install);
    ASSERT_TRUE(program.Ready());
    HWND box = WaitForDialog(program, "Quorvex");
    ASSERT_NE(box, nullptr);
    EXPECT_NE(FindWindowExA(box, nullptr, "Static", "Error initialize HOT Keys!"), nullptr);
    ASSERT_TRUE(CloseWith(box, IDOK));
    HWND keys = WaitForDialog(program, "Keys");
    ASSERT_NE(keys, nullptr);
    EXPECT_EQ(TextOf(GetDlgItem(keys, 1091)), L"Another program holds Ctrl+5.");
    ClickButton(keys, IDOK);  // what the program holds itself from the start is no other program's
    EXPECT_EQ(TextOf(GetDlgItem(keys, 1091)), L"Another program holds Ctrl+5.");
    SendDlgItemMessageA(keys, 1070, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("Ctrl+Alt"));
    ASSERT_TRUE(CloseWith(keys, IDOK));
    EXPECT_TRUE(HandledAllPostedAndRuns(program));
    int position = 3;
    for (const char* text : {"third", "fourth", "fifth"}) ASSERT_TRUE(CopyAndWaitForCapture(text, position++));
    EXPECT_TRUE(KeysPasteIntoAnEditor({VK_CONTROL, VK_MENU, '5'}, L"older"));
    EXPECT_EQ(other.Received(), 0);
    EXPECT_EQ(SettingText(HKEY_LOCAL_MACHINE, "RecentKeys"), "Ctrl+Alt");
}

// Copy n of a burst: text, or every third one rich text with its plain text beside it.
struct BurstClip {
    explicit BurstClip(int n) : rich(n % 3 == 0), plain("copy " + std::to_string(n)) {}
    bool rich;
    std::string plain;
    std::string Bytes() const { return rich ? "{\\rtf1 " + plain + "}" : TextBlock(plain); }
    bool Copy() const {
        if (!rich) return PutTextOnClipboard(plain);
        return FillClipboard({{RichTextId(), Bytes()}, {CF_TEXT, TextBlock(plain)}});
    }
};

// What a start left on disk: from position 1 on, the burst's clips oldest first, each whole with its own
// type and caption; every entry past them is 0x0.
testing::AssertionResult StoredClipsAreWholeAndInOrder(const Installation& install, int copied) {
    int n = 0;  // the copy that the position before holds
    bool ended = false;
    for (int p = 1; p <= 10; ++p) {
        const std::string type = install.Ini("RECENTS", RecentKey(p).c_str()),
                          caption = install.Ini("RECENTS", ("CAPTION" + std::to_string(p)).c_str());
        if (type == "0x0" || type == "<missing>") {  // a missing key reads as 0x0
            ended = true;
            continue;
        }
        const std::string bytes = install.Read(RecentFile(p));
        while (++n <= copied && BurstClip(n).Bytes() != bytes) {
        }
        const BurstClip clip(n);
        if (ended || n > copied || type != (clip.rich ? TypeValue(RichTextId()) : "0x1") ||
            caption != (clip.rich ? clip.plain : ""))
            return testing::AssertionFailure() << "position " << p << " holds \"" << bytes << "\" under type " << type
                                               << " and caption \"" << caption << "\" (copies made: " << copied << ")";
    }
    return testing::AssertionSuccess();
}

TEST_F(RecentClipsE2e, KillsDuringBurstsOfCopiesNeverPairAClipWithAnotherOrTearAFile) {
    std::mt19937 random(20261207);
    int copied = 0;
    // Save.ini holds more than the recent clips: a kill while it is written must not cut any of it.
    const std::vector<std::array<const char*, 3>> projectKeys = {
        {"A", "NAME", "Work"}, {"A", "CLIP1", "0x1"}, {"A", "CAPTION1", "kept"}, {"CURRENT_PRJ", "PRJ", "A"}};
    for (const auto& key : projectKeys) m_install.SetIni(key[0], key[1], key[2]);
    for (int run = 1;; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        Program program(m_install);
        ASSERT_TRUE(program.Ready());
        // The clipboard is empty, so the start captures nothing: what is on disk is what it loaded.
        ASSERT_TRUE(PumpUntil([&] { return m_install.LogCount("Clipboard is empty") >= 1; }, kStepTimeoutMs));
        ASSERT_TRUE(StoredClipsAreWholeAndInOrder(m_install, copied));
        for (const auto& key : projectKeys) ASSERT_EQ(m_install.Ini(key[0], key[1]), key[2]) << key[1];
        EXPECT_FALSE(m_install.Exists("Save*.TMP")) << "a start leaves no unfinished copy of Save.ini";
        if (run > 30) break;  // the start after the last kill only looks

        const int burst = std::uniform_int_distribution<int>(1, 12)(random);
        for (int i = 0; i < burst; ++i) {
            // Each copy is read before the next replaces it; the kill then falls anywhere in storing.
            const int read = m_install.LogCount("PutRecentClip OK");
            ASSERT_TRUE(BurstClip(++copied).Copy());
            ASSERT_TRUE(PumpUntil([&] { return m_install.LogCount("PutRecentClip OK") > read; }, kStepTimeoutMs));
            PumpFor(std::uniform_int_distribution<int>(0, 6)(random));
        }
        program.Kill();
        ASSERT_TRUE(ClearClipboard());
    }
    EXPECT_NE(m_install.Ini("RECENTS", RecentKey(10).c_str()), "0x0") << "the bursts filled the list";
}

}  // namespace
