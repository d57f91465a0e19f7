#include "clips/RecentClips.h"

#include <functional>
#include <memory>

#include "base/Log.h"
#include "base/ProgramFolder.h"
#include "clips/Clipboard.h"
#include "clips/DataFiles.h"
#include "res/resource.h"
#include "support/ClipStoreFixture.h"

namespace {

class RecentClipsTest : public ClipStoreTest {
protected:
    void SetUp() override {
        ClipStoreTest::SetUp();
        menu.CreatePopupMenu();
        for (UINT id = ID_RECENT_FIRST; id <= ID_RECENT_LAST; ++id) AppendMenuA(menu.GetSafeHmenu(), MF_STRING, id, "?");
    }
    // Captures a text, or a rich text whose plain text it is.
    int Capture(const std::string& text, bool rich = false) {
        std::vector<std::pair<UINT, std::string>> formats = {{CF_TEXT, text + '\0'}};
        if (rich) formats.insert(formats.begin(), {g_nRichTextFormat, "{\\rtf1 " + text + "}"});
        EXPECT_TRUE(FillClipboard(formats));
        return GetRecentClip(menu);
    }
    // Captures "clip 1" (the oldest) to "clip <count>", every third rich text so that entries differ.
    std::vector<std::string> FillList(int count = 10) {
        for (int i = 1; i <= count; ++i) Capture("clip " + std::to_string(i), i % 3 == 0);
        return List();
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
        for (int p = static_cast<int>(held.size()) + 1; p <= 10; ++p) {
            EXPECT_EQ(Entry("RECCLIP", p), "0x0") << p;
            EXPECT_EQ(Entry("CAPTION", p), "<missing>") << p;
        }
        LoadRecentClips();
        EXPECT_EQ(List(), held);
        EXPECT_FALSE(folder.Exists("RECENT\\RECCLIP.TMP"));
        EXPECT_FALSE(folder.Exists("RECENT\\RECCLIP.OLD"));
        EXPECT_EQ(folder.Ini("RECENTS", "SHIFTING"), "<missing>");
    }
    static std::string File(int position) { return "RECENT\\RECCLIP" + std::to_string(position) + ".DAT"; }
    std::string Entry(const std::string& key, int position) const {
        return folder.Ini("RECENTS", (key + std::to_string(position)).c_str());
    }
    void SetEntry(const std::string& key, int position, const std::string& value) const {
        folder.SetIni("RECENTS", (key + std::to_string(position)).c_str(), value.c_str());
    }

    CMenu menu;
};

}  // namespace

TEST_F(RecentClipsTest, ClipsTakeTheNextPositionsOnceEachAndAFullListDropsItsOldest) {
    folder.Write(File(5), "untouched");
    ASSERT_TRUE(FillClipboard({{CF_TEXT, std::string(249999, 'a')}}));  // no NUL: cut to fit a data file
    EXPECT_EQ(GetRecentClip(menu), 0);
    ASSERT_TRUE(FillClipboard({{CF_TEXT, std::string(250000, 'b')}}));  // too large: only redrawn and saved
    EXPECT_EQ(GetRecentClip(menu), 0);
    EXPECT_EQ(Capture("Tom & Jerry"), 0);
    EXPECT_EQ(Capture("Tom & Jerry"), 0);  // a repeated copy or a restart: already the newest clip
    EXPECT_EQ(GetRecentClip(menu), 1);     // a late notification of the copy already captured
    ASSERT_TRUE(ClearClipboard());
    EXPECT_EQ(GetRecentClip(menu), 1);
    // Content its owner marked private leaves list, files, index and menu as they were.
    ASSERT_TRUE(FillClipboard({{CF_TEXT, std::string("password\0", 9)},
                               {RegisterClipboardFormatA("ExcludeClipboardContentFromMonitorProcessing"), "1"}}));
    EXPECT_EQ(GetRecentClip(menu), 1);
    EXPECT_EQ(Capture("Bold", true), 0);
    EXPECT_EQ(folder.Read(File(1)), std::string(249998, 'a') + '\0');
    EXPECT_EQ(Item(2), "Ctl-2 'Tom && Jerry ...'");  // the menu shows the '&' itself
    EXPECT_EQ(Item(4), "Ctl-4 <EMPTY>");
    EXPECT_EQ(folder.Read(File(5)), "untouched");
    ExpectStartFindsTheList();
    RedrawMenuRecent(menu);
    EXPECT_EQ(Item(1), "Ctl-1 'Bold'");  // a rich text shows the start of its plain text
    ASSERT_TRUE(ClearClipboard());
    EXPECT_EQ(PutRecentClip(0x301), 0);
    EXPECT_EQ(ClipboardBytes(g_nRichTextFormat), "{\\rtf1 Bold}");

    // Clear all empties the index but leaves the files.
    ClearRecentClips(menu);
    EXPECT_EQ(Item(1), "Ctl-1 <EMPTY>");
    EXPECT_TRUE(folder.Exists(File(1)));
    ExpectStartFindsTheList();

    std::vector<std::string> clips = FillList();
    Capture("clip 11");
    clips.erase(clips.begin());
    clips.push_back("1||clip 11" + std::string(1, '\0'));
    EXPECT_EQ(List(), clips);
    EXPECT_EQ(Item(10), "Ctl-10 'clip 2 ...'");
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
        [&] { folder.Write("RECENT\\RECCLIP.TMP", std::string("new\0", 4)); },
        [&] {
            for (int p = 1; p <= 10; ++p) {
                SetEntry("RECCLIP", p, p < 10 ? Entry("RECCLIP", p + 1) : "0x1");
                SetEntry("CAPTION", p, p < 10 ? Entry("CAPTION", p + 1) : "");
            }
            folder.SetIni("RECENTS", "SHIFTING", "1");
        },
        [&] { move(File(1), "RECENT\\RECCLIP.OLD"); },
    };
    for (int p = 1; p <= 9; ++p) shift.push_back([&, p] { move(File(p + 1), File(p)); });
    shift.push_back([&] { move("RECENT\\RECCLIP.TMP", File(10)); });
    shift.push_back([&] { folder.SetIni("RECENTS", "SHIFTING", nullptr); });
    shift.push_back([&] { folder.Remove("RECENT\\RECCLIP.OLD"); });

    struct Case {
        int stored;                    // clips captured first
        std::function<void()> damage;  // done to the files then
        std::string held;              // held open by another program during the capture or start
        bool capture;                  // a capture of a new rich text, else a start
        std::vector<int> kept;         // the clips listed after, oldest first; 11 is the shift's new one
        const char* logged;
    };
    const std::vector<int> all = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    std::vector<Case> cases = {
        {10, nullptr, File(6), true, all, writeFailed},  // a file in the middle of a shift
        {10, nullptr, File(1), true, all, writeFailed},
        {3, nullptr, File(4), true, {1, 2, 3}, writeFailed},  // the next position's file
        {3, nullptr, "Save.ini", true, {1, 2, 3}, "Error save INI!"},
        {10, nullptr, "Save.ini", true, all, "Error save INI!"},
        {4, [&] { folder.Remove(File(2)); }, "", false, {1, 3, 4}, "Open File error CreateFile() (READ)"},
        {4, [&] { SetEntry("RECCLIP", 1, "0x0"); }, "", false, {2, 3, 4}, nullptr},  // an entry emptied by hand
        {4, [&] {
             folder.Remove(File(1));
             SetEntry("RECCLIP", 3, "zz");
         }, "", false, {2, 4}, nullptr},
        // A shift whose files were put back while its mark stayed (two failed Save.ini writes) cannot be
        // told from a finished one by its files, nor can one that a start cannot go on with: no entry
        // may then name another clip's bytes.
        {10, shift[1], "", false, {}, nullptr},
        {10, [&] {
             shift[0]();
             shift[1]();
         }, File(1), false, {}, writeFailed},
    };
    // A start after a crash at each step of the shift.
    for (std::size_t done = 1; done <= shift.size(); ++done) {
        std::vector<int> kept(all.begin() + (done > 1 ? 1 : 0), all.end());
        if (done > 1) kept.push_back(11);
        cases.push_back({10, [&, done] { for (std::size_t s = 0; s < done; ++s) shift[s](); }, "", false, kept, nullptr});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases.data());
        const std::vector<std::string> clips = FillList(c.stored);
        if (c.damage) c.damage();
        FileHandle held(c.held.empty() ? FileHandle() : Hold(c.held));
        if (c.capture)
            Capture("new one", true);
        else
            LoadRecentClips();
        held.Close();
        std::vector<std::string> expected;
        for (int k : c.kept) expected.push_back(k > 10 ? "1||" + std::string("new\0", 4) : clips[k - 1]);
        EXPECT_EQ(List(), expected);
        EXPECT_TRUE(!c.logged || Logged(c.logged));
        EXPECT_EQ(Entry("RECCLIP", 0), "<missing>");
        ExpectStartFindsTheList();
        ClearRecentClips(menu);
        DeleteLog();
    }

    // A file another program holds at a start is left out, and its position kept for a later start.
    const std::vector<std::string> clips = FillList(3);
    FileHandle held = Hold(File(2));
    LoadRecentClips();
    EXPECT_EQ(List(), (std::vector<std::string>{clips[0], clips[2]}));
    Capture("after");  // takes position 4
    held.Close();
    LoadRecentClips();
    EXPECT_EQ(List(), (std::vector<std::string>{clips[0], clips[1], clips[2], "1||after" + std::string(1, '\0')}));
}

TEST_F(RecentClipsTest, ATooLongInstallationPathIsReportedOnceAtTheStartAndFailsEveryStoreAndRead) {
    // The folder and its log fit MAX_PATH; the data files' paths in it would not.
    const std::string name(MAX_PATH - 16 - folder.Path().size(), 'd');
    ASSERT_TRUE(CreateDirectoryW(folder.File(name).c_str(), nullptr));
    SetProgramFolderForTests(folder.File(name).c_str());
    LoadRecentClips();
    Capture("one");
    EXPECT_TRUE(RecentClip.empty());
    auto buffer = std::make_unique<char[]>(kClipBufferSize);
    EXPECT_LT(ReadClipFile(RecentClipFileName(1), buffer.get(), OpenMode::CreateIfMissing), 0);
    SetProgramFolderForTests(folder.Path().c_str());
    const std::string log = folder.Read(name + "\\Clip.log"), warning = "Installation path too long: clips can't be saved";
    EXPECT_NE(log.find(warning), std::string::npos);
    EXPECT_EQ(log.find(warning, log.find(warning) + 1), std::string::npos);
    EXPECT_EQ(log.find("Couldn't create"), std::string::npos);
}
