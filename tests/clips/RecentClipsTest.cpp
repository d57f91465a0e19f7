#include "clips/RecentClips.h"

#include <cstdlib>
#include <functional>
#include <optional>
#include <thread>

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
    // What a start would list, read from Save.ini and the files as the list is: each entry that names a type.
    std::vector<std::string> Stored() const {
        std::vector<std::string> stored;
        for (int p = 1; p <= 10; ++p)
            if (const unsigned long type = std::strtoul(Entry("RECCLIP", p).c_str(), nullptr, 16))
                stored.push_back(std::to_string(type) + "|" + Entry("CAPTION", p) + "|" + folder.Read(File(p)));
        return stored;
    }
    // Save.ini holds no clip past the list, and a start finds on disk the list this run holds.
    void ExpectStartFindsTheList() {
        const std::vector<std::string> held = List();
        EXPECT_EQ(Stored(), held);
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
        {{{CF_UNICODETEXT, Utf16Bytes(std::wstring(249998, L'w'))}}, std::string(249998, 'w') + '\0'},
        {{{CF_UNICODETEXT, Utf16Bytes(std::wstring(249999, L'x'))}}, std::string(249998, 'w') + '\0'},
        {{{CF_UNICODETEXT, Utf16Bytes(std::wstring(124998, L'ж'))}}, Utf16Bytes(std::wstring(124998, L'ж'))},
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
    EXPECT_EQ(Item(7), "Ctl-7 'uuuuuuuuuuuuuuuuuuuu ...'");
    EXPECT_EQ(Item(9), "Ctl-9 <EMPTY>");
    ExpectStartFindsTheList();
    RedrawMenuRecent(menu);
    EXPECT_EQ(Item(1), "Ctl-1 'Bold'");  // a rich text shows the start of its plain text
    ASSERT_TRUE(ClearClipboard());
    EXPECT_EQ(PutRecentClip(0x301), 0);
    EXPECT_EQ(ClipboardBytes(g_nRichTextFormat), "{\\rtf1 Bold}");
    // Clips their entries call pictures (edited by hand) are not put, and the caller hears so: no paste follows.
    for (int p = 1; p <= 10; ++p) folder.SetIni("RECENTS", ("RECCLIP" + std::to_string(p)).c_str(), "0x8");
    LoadRecentClips();
    EXPECT_NE(PutRecentClip(0x301), 0);

    // Clear all empties the index but leaves the files.
    ClearRecentClips(menu);
    EXPECT_TRUE(folder.Exists(File(1)));
    ExpectStartFindsTheList();
    // It empties the list even while Save.ini cannot be replaced; the entries follow at the next write.
    Capture("one");
    Capture("two");
    FileHandle held = Hold("Save.ini", FILE_SHARE_READ);
    ClearRecentClips(menu);
    held.Close();
    EXPECT_TRUE(RecentClip.empty());
    EXPECT_EQ(Item(1), "Ctl-1 <EMPTY>");
    Capture("three");
    ExpectStartFindsTheList();
    // An entry whose file a start could not read stays on disk, out of the list, through the next capture.
    FileHandle unreadable = Hold(File(1));
    LoadRecentClips();
    unreadable.Close();
    Capture("four");
    const std::string nul(1, '\0');
    EXPECT_EQ(Stored(), (std::vector<std::string>{"1||three" + nul, "1||four" + nul}));
    // What a start finds on the clipboard: a copy made meanwhile is captured, a clip the list holds is not.
    for (const char* left : {"five", "four"}) {
        ASSERT_TRUE(PutTextOnClipboard(left));
        GetRecentClip(menu, true);
    }
    EXPECT_EQ(List(), (std::vector<std::string>{"1||four" + nul, "1||five" + nul}));
}

TEST_F(RecentClipsTest, AClipThatCannotBeStoredStaysListedUntilTheDiskTakesItAndAStartClosesUpGapsAndFinishesAShift) {
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

    // Clips are numbered from "clip 1", the oldest stored first; 11 is "new one".
    struct Case {
        int stored;          // clips stored first, every third a rich text unless all are alike
        bool alike = false;  // so that a shift changes no entry
        // Done to the files, after which a start follows (without it a capture of "new one").
        std::function<void()> damage = {};
        std::string held = {};  // a file another program holds open meanwhile, or the RECENT folder gone
        DWORD sharing = 0;      // what that program lets others do with the file
        bool briefly = false;   // the file let go after 50 ms, within the time a write waits
        std::vector<int> listed = {};                 // the list after it, oldest first
        std::optional<std::vector<int>> onDisk = {};  // what a start would find, when not the list
        const char* logged = nullptr;
    };
    const std::vector<int> all = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, shifted = {2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
                           firstThree = {1, 2, 3};
    std::vector<Case> cases = {
        {.stored = 10, .listed = shifted},  // a full list drops its oldest clip
        // A file in the middle of a shift, the oldest file, the next position's file, the folder, Save.ini:
        // the clip stays listed for this run, and no entry names it.
        {.stored = 10, .held = File(6), .listed = shifted, .onDisk = all, .logged = writeFailed},
        {.stored = 10, .held = File(1), .listed = shifted, .onDisk = all, .logged = writeFailed},
        {.stored = 3, .held = File(4), .listed = {1, 2, 3, 11}, .onDisk = firstThree, .logged = writeFailed},
        {.stored = 3, .held = "RECENT", .listed = {1, 2, 3, 11}, .onDisk = firstThree, .logged = writeFailed},
        {.stored = 10, .held = "RECENT", .listed = shifted, .onDisk = all, .logged = writeFailed},
        {.stored = 3, .held = "Save.ini", .listed = {1, 2, 3, 11}, .onDisk = firstThree, .logged = "Error save INI!"},
        {.stored = 10, .held = "Save.ini", .listed = shifted, .onDisk = all, .logged = "Error save INI!"},
        {.stored = 10, .alike = true, .held = "Save.ini", .listed = shifted},  // a shift that changes no entry
        // A file held for a moment only is waited for: one the shift moves, the new clip's.
        {.stored = 10, .held = File(6), .briefly = true, .listed = shifted},
        {.stored = 3, .held = "RECENT\\RECCLIP.TMP", .briefly = true, .listed = {1, 2, 3, 11}},
        {.stored = 10, .held = "RECENT\\RECCLIP.TMP", .sharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
         .listed = shifted, .onDisk = all, .logged = writeFailed},  // a virus scanner's way
        {.stored = 4, .damage = [&] { folder.Remove(File(2)); }, .listed = {1, 3, 4},
         .logged = "Open File error CreateFile() (READ)"},
        {.stored = 10, .damage = [&] { folder.Remove(File(5)); }, .listed = {1, 2, 3, 4, 6, 7, 8, 9, 10}},
        {.stored = 4, .damage = [&] { folder.SetIni("RECENTS", "RECCLIP1", "zz"); }, .listed = {2, 3, 4}},  // by hand
        // A shift whose files were put back while its mark stayed (two failed Save.ini writes) cannot be
        // told from a finished one by its files, nor can one that a start cannot go on with: no entry
        // may then name another clip's bytes.
        {.stored = 10, .damage = shift[1], .listed = {}},
    };
    // A start after a crash at each step of the shift; after the second, one with position 1 held.
    for (std::size_t done = 1; done <= shift.size(); ++done) {
        std::function<void()> replay = [&, done] { for (std::size_t s = 0; s < done; ++s) shift[s](); };
        cases.push_back({.stored = 10, .damage = replay, .listed = done > 1 ? shifted : all});
        if (done == 2)
            cases.push_back({.stored = 10, .damage = replay, .held = File(1), .listed = {}, .logged = writeFailed});
    }
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const Case& c = cases[i];
        for (int n = 1; n <= c.stored; ++n) Capture("clip " + std::to_string(n), !c.alike && n % 3 == 0);
        const std::vector<std::string> clips = List();
        auto clipsNumbered = [&](const std::vector<int>& numbers) {
            std::vector<std::string> listed;
            for (int n : numbers) listed.push_back(n > 10 ? "1||new one" + std::string(1, '\0') : clips[n - 1]);
            return listed;
        };
        toldNotStored.clear();
        if (c.damage) c.damage();
        const bool folderGone = c.held == "RECENT";
        if (folderGone) move("RECENT", "RECENT.gone");
        std::thread release = c.briefly ? HoldFor(c.held, 50) : std::thread();
        FileHandle holder(c.held.empty() || folderGone || c.briefly ? FileHandle() : Hold(c.held, c.sharing));
        if (c.damage)
            LoadRecentClips();
        else
            Capture("new one");
        holder.Close();
        if (release.joinable()) release.join();
        if (folderGone) move("RECENT.gone", "RECENT");
        EXPECT_EQ(List(), clipsNumbered(c.listed));
        EXPECT_EQ(Stored(), clipsNumbered(c.onDisk.value_or(c.listed)));
        EXPECT_TRUE(!c.logged || LoggedInOrder({c.logged}));
        // The program is told of each clip the disk did not take, with its folder (for its user).
        EXPECT_EQ(toldNotStored.empty(), c.logged != writeFailed);
        for (const std::wstring& told : toldNotStored) EXPECT_EQ(told, folder.File("RECENT"));
        EXPECT_EQ(Entry("RECCLIP", 0), "<missing>");
        // Nothing is left beside the clips but the new clip's file when another program held it.
        const bool incomingHeld = c.held == "RECENT\\RECCLIP.TMP";
        EXPECT_FALSE((folder.Exists("RECENT\\RECCLIP.TMP") && !incomingHeld) || folder.Exists("RECENT\\RECCLIP.OLD"));
        // Once the disk takes clips again, the next capture stores every clip it lacks.
        if (!c.held.empty()) Capture("after");
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
    EXPECT_EQ(List(), std::vector<std::string>{"1||one" + std::string(1, '\0')});  // for this run only
    EXPECT_EQ(Stored(), std::vector<std::string>{});
    EXPECT_EQ(toldNotStored, std::vector<std::wstring>{folder.File(name + "\\RECENT")});
    SetProgramFolderForTests(folder.Path().c_str());
    const std::string log = folder.Read(name + "\\Clip.log");
    EXPECT_NE(log.find("Installation path too long: clips can't be saved"), std::string::npos);
    EXPECT_EQ(log.find("Couldn't create"), std::string::npos);  // no store was tried
}

// The index of the recent clips in Save.ini.
TEST_F(RecentClipsTest, TypesAreWrittenInHexAndReadBackAndForeignRichTextIdsMapToThisRuns) {
    SetClipType(1, 0xC0A1, "Bold", true);
    // Save.ini is replaced whole by a copy made beside it, never rewritten in place (a kill in the
    // middle of a write would cut it). A second name of the file written first keeps that file's bytes
    // only if it was replaced.
    ASSERT_TRUE(CreateHardLinkW(folder.File("Written.ini").c_str(), folder.File("Save.ini").c_str(), nullptr));
    SetClipType(1, CF_TEXT, "", true);
    EXPECT_EQ(folder.Read("Written.ini"), "[RECENTS]\r\nRECCLIP1=0xC0A1\r\nCAPTION1=Bold\r\n");
    // A Save.ini that cannot be read is not taken for one without recent clips.
    FileHandle held = Hold("Save.ini");
    EXPECT_FALSE(WriteRecentIndex({}, 0));
    held.Close();
    // Written through the wide calls, the new file is still ANSI, byte for byte as before.
    EXPECT_EQ(folder.Read("Save.ini"), "[RECENTS]\r\nRECCLIP1=0x1\r\nCAPTION1=\r\n");

    g_nRichTextFormat = 0xC0F3;
    const std::pair<const char*, UINT> stored[] = {{"0xc0a1", 0xC0F3}, {"0xC0AF", 0xC0F3}, {"0xC000", 0xC000},
                                                   {"8", 8},           {"zz", 0},          {"0x1z", 1},
                                                   {"0XE", 14}};
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
        EXPECT_EQ(ClipMenuCaption("Ctl-1", CF_TEXT, ansi->c_str(), ansi->size() + 1, nullptr, CaptionStyle::RecentItem),
                  L"Ctl-1 '" + shown + L" ...'");
        EXPECT_EQ(WideText(std::make_unique<CLIP_STR>(0xC0F3, "{\\rtf1 x}", ansi->c_str(), 10)->caption), shown);
        // So does a text cut after 20 bytes (a file read up to its bound), before a lead byte that ends it.
        EXPECT_EQ(AnsiPrefix(ansi->substr(0, 20), 30), HeldInAnsi(shown));
    }
}
