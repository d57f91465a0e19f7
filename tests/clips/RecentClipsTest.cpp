#include "clips/RecentClips.h"

#include <functional>

#include "clips/TypeIndex.h"
#include "framework/TextConversion.h"
#include "res/resource.h"
#include "support/ClipStoreFixture.h"

class RecentClipsTest : public ClipStoreTest {
protected:
    void SetUp() override {
        ClipStoreTest::SetUp();
        ASSERT_TRUE(menu.LoadMenu(IDR_TRAY_MENU));
    }
    // Captures a text, or a rich text whose plain text it is.
    int Capture(const std::string& text, bool rich = false) {
        EXPECT_TRUE(rich ? FillClipboard({{g_nRichTextFormat, "{\\rtf1 " + text + "}"}, {CF_TEXT, text + '\0'}})
                         : PutTextOnClipboard(text));
        return GetRecentClip(menu);
    }
    std::string Item(int slot) const { return menu.GetMenuString(ID_RECENT_FIRST + slot - 1); }
    // The list as type, caption and bytes of each clip, oldest first.
    static std::vector<std::string> List() {
        std::vector<std::string> list;
        for (const auto& clip : RecentClip)
            list.push_back(std::to_string(clip->type) + "|" + clip->caption + "|" + std::string(clip->buf, clip->size));
        return list;
    }
    // Save.ini holds no clip past the list, and a start finds on disk the list this run holds.
    void ExpectStartFindsTheList() {
        const std::vector<std::string> held = List();
        for (int p = static_cast<int>(held.size()) + 1; p <= 10; ++p)
            EXPECT_EQ(Entry("RECCLIP", p) + Entry("CAPTION", p), "0x0<missing>") << p;
        LoadRecentClips();
        EXPECT_EQ(List(), held);
        EXPECT_FALSE(folder.Exists("RECENT\\RECCLIP.TMP") || folder.Exists("RECENT\\RECCLIP.OLD"));
        EXPECT_EQ(folder.Ini("RECENTS", "SHIFTING"), "<missing>");
    }
    static std::string File(int position) { return "RECENT\\RECCLIP" + std::to_string(position) + ".DAT"; }
    std::string Entry(std::string k, int p) const { return folder.Ini("RECENTS", (k + std::to_string(p)).c_str()); }

    CMenu menu;
};

TEST_F(RecentClipsTest, ClipsTakeTheNextPositionsOnceEachWithTheirBytesCaptionsAndMenuItemsAndClearAllEmptiesTheIndex) {
    // Each offer and what its clip holds: text up to its NUL, cut to fit a data file when it has none. A text put
    // only as Unicode is stored whole in the form kept (ANSI where the code page holds it), or not at all.
    const std::string longText = std::string(200000, 'u') + '\0';
    const std::pair<std::vector<std::pair<UINT, std::string>>, std::string> offers[] = {
        {{{CF_TEXT, std::string(249999, 'a')}}, std::string(249998, 'a') + '\0'},
        {{{CF_UNICODETEXT, Utf16Bytes(std::wstring(200000, L'u'))}}, longText},
        {{{CF_UNICODETEXT, Utf16Bytes(std::wstring(300000, L'v'))}}, longText},  // too large: only redrawn and saved
        {{{CF_UNICODETEXT, Utf16Bytes(std::wstring(124999, L'ж'))}}, longText},
        {{{CF_UNICODETEXT, Utf16Bytes(L"Жук") + "tail"}}, Utf16Bytes(L"Жук")},
        {{{CF_TEXT, std::string(250000, 'b')}}, Utf16Bytes(L"Жук")},
        {{{CF_TEXT, std::string("Tom & Jerry\0tail", 16)}}, std::string("Tom & Jerry\0", 12)},
    };
    for (const auto& [offered, bytes] : offers) {
        ASSERT_TRUE(FillClipboard(offered));
        EXPECT_EQ(GetRecentClip(menu), 0);
        EXPECT_EQ(std::string(RecentClip.back()->buf, RecentClip.back()->size), bytes);
    }
    EXPECT_EQ(Capture("Tom & Jerry"), 0);  // copying the same text twice fills two slots
    EXPECT_EQ(GetRecentClip(menu), 1);     // a late notification of the copy already captured
    ASSERT_TRUE(ClearClipboard());
    EXPECT_EQ(GetRecentClip(menu), 1);
    // Content its owner marked private leaves list, files, index and menu as they were.
    ASSERT_TRUE(FillClipboard({{CF_TEXT, std::string("password\0", 9)},
                               {RegisterClipboardFormatA("ExcludeClipboardContentFromMonitorProcessing"), "1"}}));
    EXPECT_EQ(GetRecentClip(menu), 1);
    EXPECT_EQ(Capture("Bold", true), 0);
    for (int slot : {2, 3}) EXPECT_EQ(Item(slot), "Ctl-" + std::to_string(slot) + " 'Tom && Jerry ...'");  // '&' itself
    EXPECT_EQ(Item(5), "Ctl-5 'uuuuuuuuuuuuuuuuuuuu ...'");
    EXPECT_EQ(Item(7), "Ctl-7 <EMPTY>");
    ExpectStartFindsTheList();
    RedrawMenuRecent(menu);
    EXPECT_EQ(Item(1), "Ctl-1 'Bold'");  // a rich text shows the start of its plain text
    ASSERT_TRUE(ClearClipboard());
    EXPECT_EQ(PutRecentClip(0x301), 0);
    EXPECT_EQ(ClipboardBytes(g_nRichTextFormat), "{\\rtf1 Bold}");

    // Clear all empties the index but leaves the files.
    ClearRecentClips(menu);
    EXPECT_TRUE(folder.Exists(File(1)));
    ExpectStartFindsTheList();
}

TEST_F(RecentClipsTest, TheListStaysWhatIsOnDiskWhenAStoreFailsAndAStartClosesUpGapsAndFinishesAShift) {
    const char* const writeFailed = "Couldn't create the file (WRITE)!";
    auto move = [this](const std::string& from, const std::string& to) {
        MoveFileW(folder.File(from).c_str(), folder.File(to).c_str());
    };
    // A capture on a full list: the new clip beside the list, the new entries with the shift mark,
    // position 1 aside, each file down one position, the new clip in, the mark gone, position 1 gone.
    std::vector<std::function<void()>> shift = {
        [&] { folder.Write("RECENT\\RECCLIP.TMP", std::string("new one\0", 8)); },
        [&] {
            for (int p = 1; p <= 10; ++p)
                for (std::string k : {"RECCLIP", "CAPTION"})
                    folder.SetIni("RECENTS", (k + std::to_string(p)).c_str(),
                                  p < 10 ? Entry(k, p + 1).c_str() : k == "RECCLIP" ? "0x1" : "");
            folder.SetIni("RECENTS", "SHIFTING", "1");
        },
        [&] { move(File(1), "RECENT\\RECCLIP.OLD"); },
    };
    for (int p = 1; p <= 9; ++p) shift.push_back([&, p] { move(File(p + 1), File(p)); });
    shift.push_back([&] { move("RECENT\\RECCLIP.TMP", File(10)); });
    shift.push_back([&] { folder.SetIni("RECENTS", "SHIFTING", nullptr); });
    shift.push_back([&] { folder.Remove("RECENT\\RECCLIP.OLD"); });

    // The clips stored first (alike or not); what is then done to the files, after which a start
    // follows (without it a capture of "new one"); the file another program holds open meanwhile; the
    // clips listed after, oldest first (11: "new one"); what Clip.log tells.
    const std::vector<int> all = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, shifted = {2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    std::vector<std::tuple<int, bool, std::function<void()>, std::string, std::vector<int>, const char*>> cases = {
        {10, false, nullptr, "", shifted, nullptr},  // a full list drops its oldest clip
        // A file in the middle of a shift, the oldest file, the next position's file.
        {10, false, nullptr, File(6), all, writeFailed}, {10, false, nullptr, File(1), all, writeFailed},
        {3, false, nullptr, File(4), {1, 2, 3}, writeFailed},
        {3, false, nullptr, "Save.ini", {1, 2, 3}, "Error save INI!"},
        {10, false, nullptr, "Save.ini", all, "Error save INI!"},
        {10, true, nullptr, "Save.ini", shifted, nullptr},  // a shift that changes no entry needs no Save.ini write
        {4, false, [&] { folder.Remove(File(2)); }, "", {1, 3, 4}, "Open File error CreateFile() (READ)"},
        {4, false, [&] { folder.SetIni("RECENTS", "RECCLIP1", "zz"); }, "", {2, 3, 4}, nullptr},  // spoilt by hand
        // A shift whose files were put back while its mark stayed (two failed Save.ini writes) cannot be
        // told from a finished one by its files, nor can one that a start cannot go on with: no entry
        // may then name another clip's bytes.
        {10, false, shift[1], "", {}, nullptr},
    };
    // A start after a crash at each step of the shift; after the second, one with position 1 held.
    for (std::size_t done = 1; done <= shift.size(); ++done) {
        std::function<void()> replay = [&, done] { for (std::size_t s = 0; s < done; ++s) shift[s](); };
        cases.emplace_back(10, false, replay, "", done > 1 ? shifted : all, nullptr);
        if (done == 2) cases.emplace_back(10, false, replay, File(1), std::vector<int>{}, writeFailed);
    }
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const auto& [stored, alike, damage, held, kept, logged] = cases[i];
        // "clip 1" (the oldest) to "clip <stored>", every third rich text (so that a shift changes the entries)
        // unless they are to be alike.
        for (int n = 1; n <= stored; ++n) Capture("clip " + std::to_string(n), !alike && n % 3 == 0);
        const std::vector<std::string> clips = List();
        if (damage) damage();
        FileHandle holder(held.empty() ? FileHandle() : Hold(held));
        if (damage)
            LoadRecentClips();
        else
            Capture("new one");
        holder.Close();
        std::vector<std::string> expected;
        for (int k : kept) expected.push_back(k > 10 ? "1||new one" + std::string(1, '\0') : clips[k - 1]);
        EXPECT_EQ(List(), expected);
        EXPECT_TRUE(!logged || LoggedInOrder({logged}));
        EXPECT_EQ(Entry("RECCLIP", 0), "<missing>");
        ExpectStartFindsTheList();
        ClearRecentClips(menu);
        DeleteLog();
    }
}

TEST_F(RecentClipsTest, ATooLongInstallationPathIsReportedAtTheStartAndFailsEveryStore) {
    // The folder and its log fit MAX_PATH; the data files' paths in it would not.
    const std::string name(MAX_PATH - 16 - folder.Path().size(), 'd');
    ASSERT_TRUE(CreateDirectoryW(folder.File(name).c_str(), nullptr));
    SetProgramFolderForTests(folder.File(name).c_str());
    LoadRecentClips();
    Capture("one");
    EXPECT_TRUE(RecentClip.empty());
    SetProgramFolderForTests(folder.Path().c_str());
    const std::string log = folder.Read(name + "\\Clip.log");
    EXPECT_NE(log.find("Installation path too long: clips can't be saved"), std::string::npos);
    EXPECT_EQ(log.find("Couldn't create"), std::string::npos);  // no store was tried
}

// The index of the recent clips in Save.ini.
TEST_F(RecentClipsTest, TypesAreWrittenInHexAndReadBackAndForeignRichTextIdsMapToThisRuns) {
    SetClipType(1, 0xC0A1, "Bold", true);
    // Save.ini is replaced whole by a copy made beside it, never rewritten in place (a kill in the
    // middle of a write would cut it); a copy a kill left behind is no part of it. A second name of the
    // file written first keeps that file's bytes only if it was replaced.
    ASSERT_TRUE(CreateHardLinkW(folder.File("Written.ini").c_str(), folder.File("Save.ini").c_str(), nullptr));
    folder.Write("Save.TMP", "left by a kill");
    SetClipType(1, CF_TEXT, "", true);
    EXPECT_EQ(folder.Read("Written.ini"), "[RECENTS]\r\nRECCLIP1=0xC0A1\r\nCAPTION1=Bold\r\n");
    EXPECT_FALSE(folder.Exists("Save.TMP"));
    // Written through the wide calls, the new file is still ANSI, byte for byte as before.
    EXPECT_EQ(folder.Read("Save.ini"), "[RECENTS]\r\nRECCLIP1=0x1\r\nCAPTION1=\r\n");

    g_nRichTextFormat = 0xC0F3;
    const std::pair<const char*, UINT> stored[] = {{"0xc0a1", 0xC0F3}, {"0xC000", 0xC000}, {"8", 8},
                                                   {"zz", 0},          {"0x1z", 1},        {"0XE", 14}};
    for (const auto& [value, type] : stored) {
        folder.SetIni("RECENTS", "RECCLIP1", value);
        EXPECT_EQ(GetClipType(1, nullptr, true), type) << value;
    }
}

// Captions keep whole characters of a double-byte code page: 20 bytes or one less. Run under 932 too.
TEST(CodePage, CaptionsAreCutBetweenCharacters) {
    const std::wstring kana = L"表計算ポイント表計算";  // ten double-byte characters: 20 bytes
    for (const auto& [text, shown] : {std::pair{std::wstring(19, L'a') + L"表b", std::wstring(19, L'a')},
                                      {kana + L"ポ", kana}, {L"a" + kana, L"a" + kana.substr(0, 9)},
                                      {std::wstring(25, L'z'), std::wstring(20, L'z')}}) {
        const std::optional<std::string> ansi = HeldInAnsi(text);
        if (!ansi) continue;
        EXPECT_EQ(ClipMenuCaption("Ctl", 1, CF_TEXT, ansi->c_str(), ansi->size() + 1, nullptr, CaptionStyle::RecentItem),
                  L"Ctl-1 '" + shown + L" ...'");
        EXPECT_EQ(WideText(std::make_unique<CLIP_STR>(0xC0F3, "{\\rtf1 x}", ansi->c_str(), 10)->caption), shown);
    }
}
