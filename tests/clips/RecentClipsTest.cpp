#include "clips/RecentClips.h"

#include <algorithm>
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
        for (UINT id = ID_RECENT_FIRST; id <= ID_RECENT_LAST; ++id) AppendMenuA(menu.GetSafeHmenu(), MF_STRING, id, "Win-?");
    }

    void Capture(const std::string& text) {
        ASSERT_TRUE(FillClipboard({{CF_TEXT, text + '\0'}}));
        EXPECT_EQ(GetRecentClip(menu), 0);
    }
    void CaptureRichText(const std::string& plain) {
        ASSERT_TRUE(FillClipboard({{g_nRichTextFormat, "{\\rtf1 " + plain + "}"}, {CF_TEXT, plain + '\0'}}));
        EXPECT_EQ(GetRecentClip(menu), 0);
    }
    // Ten clips "clip 1" (the oldest) to "clip 10"; every third is rich text, so entries differ.
    void FillList(int count = 10) {
        for (int i = 1; i <= count; ++i) i % 3 == 0 ? CaptureRichText(Name(i)) : Capture(Name(i));
    }
    static std::string Name(int i) { return "clip " + std::to_string(i); }
    std::string Item(int slot) const { return menu.GetMenuString(ID_RECENT_FIRST + slot - 1); }

    // The list as type, caption and bytes of each clip, oldest first.
    static std::vector<std::string> List() {
        std::vector<std::string> list;
        for (const auto& clip : RecentClip)
            list.push_back(std::to_string(clip->type) + "|" + clip->caption + "|" + std::string(clip->buf, clip->size));
        return list;
    }
    // What a start finds on disk must be the list this run holds, and nothing else.
    void ExpectStartFindsTheList() {
        std::vector<std::string> held = List();
        LoadRecentClips();
        EXPECT_EQ(List(), held);
        EXPECT_FALSE(folder.Exists("RECENT\\RECCLIP.TMP"));
        EXPECT_FALSE(folder.Exists("RECENT\\RECCLIP.OLD"));
        EXPECT_EQ(folder.Ini("RECENTS", "SHIFTING"), "<missing>");
    }
    HANDLE Hold(const std::string& name) const {
        return CreateFileW(folder.File(name).c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    }
    static std::string File(int position) { return "RECENT\\RECCLIP" + std::to_string(position) + ".DAT"; }
    static std::string Key(const char* name, int position) { return name + std::to_string(position); }
    // Save.ini holds no clip from this position on.
    void ExpectNoEntriesFrom(int first) const {
        for (int p = first; p <= 10; ++p) {
            EXPECT_EQ(folder.Ini("RECENTS", Key("RECCLIP", p).c_str()), "0x0") << p;
            EXPECT_EQ(folder.Ini("RECENTS", Key("CAPTION", p).c_str()), "<missing>") << p;
        }
    }

    CMenu menu;
    std::vector<std::pair<std::string, std::string>> entries;  // Save.ini's type and caption by position - 1
};

}  // namespace

TEST_F(RecentClipsTest, AFullListTakesANewClipByRenamingItsFilesDown) {
    FillList();
    std::vector<ULONGLONG> ids;
    for (int p = 2; p <= 10; ++p) ids.push_back(folder.FileId(File(p)));
    Capture("clip 11");
    ASSERT_EQ(RecentClip.size(), 10u);
    for (int p = 1; p <= 10; ++p) {
        SCOPED_TRACE(p);
        const bool rich = (p + 1) % 3 == 0;
        std::string bytes = rich ? "{\\rtf1 " + Name(p + 1) + "}" : Name(p + 1) + '\0';
        EXPECT_EQ(folder.Read(File(p)), bytes);
        if (p < 10) {
            EXPECT_EQ(folder.FileId(File(p)), ids[p - 1]) << "moved by a rename, not rewritten";
        }
        EXPECT_EQ(folder.Ini("RECENTS", Key("RECCLIP", p).c_str()), TypeValue(rich ? g_nRichTextFormat : 1u));
        EXPECT_EQ(folder.Ini("RECENTS", Key("CAPTION", p).c_str()), rich ? Name(p + 1) : "");
    }
    EXPECT_EQ(Item(1), "Ctl-1 'clip 11 ...'");
    EXPECT_EQ(Item(10), "Ctl-10 'clip 2 ...'");
    EXPECT_TRUE(LoggedInOrder({"GetRecentClip started", "GlobalSize = 8  TYPE = 1", "CLIP_STR::CLIP_STR started",
                               "PutRecentClip OK", "SaveRecentClips started", "RedrawMenuRecent started"}));
    ExpectStartFindsTheList();
}

TEST_F(RecentClipsTest, AFewClipsTakeTheNextPositionsAndTheNewestIsNotAddedTwice) {
    folder.Write("RECENT\\RECCLIP5.DAT", "untouched");
    Capture("Tom & Jerry");
    Capture("Tom & Jerry");  // a late notification or a restart: the same content is already the newest
    Capture("other");
    EXPECT_EQ(GetRecentClip(menu), 1);  // a late notification of the copy already captured
    Capture("Tom & Jerry");
    EXPECT_EQ(RecentClip.size(), 3u);
    // The menu shows the '&' itself rather than underlining the next letter; the clip keeps it single.
    EXPECT_EQ(Item(1), "Ctl-1 'Tom && Jerry ...'");
    EXPECT_EQ(Item(2), "Ctl-2 'other ...'");
    EXPECT_EQ(std::string(RecentClip.back()->buf), "Tom & Jerry");
    EXPECT_EQ(Item(4), "Ctl-4 <EMPTY>");
    EXPECT_EQ(folder.Read("RECENT\\RECCLIP5.DAT"), "untouched");
    ExpectNoEntriesFrom(4);
    ExpectStartFindsTheList();
}

TEST_F(RecentClipsTest, BlocksOfAnAcceptedSizeAreStoredAndOthersOnlyRedrawAndSave) {
    ASSERT_TRUE(FillClipboard({{CF_TEXT, std::string(249999, 'a')}}));  // no NUL: cut to fit a data file
    EXPECT_EQ(GetRecentClip(menu), 0);
    ASSERT_EQ(RecentClip.size(), 1u);
    EXPECT_EQ(folder.Read("RECENT\\RECCLIP1.DAT"), std::string(249998, 'a') + '\0');

    ASSERT_TRUE(FillClipboard({{CF_TEXT, std::string(250000, 'b')}}));
    EXPECT_EQ(GetRecentClip(menu), 0);
    EXPECT_EQ(RecentClip.size(), 1u);
    EXPECT_TRUE(LoggedInOrder({"GlobalSize = 250000  TYPE = 1", "Buf Size too large", "PutRecentClip OK",
                               "SaveRecentClips started", "RedrawMenuRecent started"}));

    ClearClipboard();
    EXPECT_EQ(GetRecentClip(menu), 1);
    EXPECT_TRUE(Logged("Clipboard is empty"));
    EXPECT_EQ(RecentClip.size(), 1u);
}

TEST_F(RecentClipsTest, ACaptureThatCannotBeStoredLeavesDiskAndListAsTheyWere) {
    const struct {
        const char* name;
        int clips;
        std::string held;  // what another program holds open without sharing
        const char* logged;
    } cases[] = {
        {"a file in the middle of a shift", 10, File(6), "Couldn't create the file (WRITE)!"},
        {"the oldest file", 10, File(1), "Couldn't create the file (WRITE)!"},
        {"the next position's file", 3, File(4), "Couldn't create the file (WRITE)!"},
        {"Save.ini before an append", 3, "Save.ini", "Error save INI!"},
        {"Save.ini before a shift", 10, "Save.ini", "Error save INI!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FillList(c.clips);
        std::vector<std::string> before = List();
        HANDLE held = Hold(c.held);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        CaptureRichText("new one");
        CloseHandle(held);
        EXPECT_EQ(List(), before);
        EXPECT_TRUE(Logged(c.logged));
        ExpectStartFindsTheList();
        ClearRecentClips(menu);
        DeleteLog();
    }
    // A RECENT folder that became a file takes nothing either.
    FillList(2);
    RemoveTree(folder.File("RECENT"));
    folder.Write("RECENT", "a file");
    Capture("lost");
    EXPECT_EQ(RecentClip.size(), 2u);
    EXPECT_TRUE(LoggedInOrder({"Couldn't create the file (WRITE)!", folder.LoggedFile("RECENT\\RECCLIP3.DAT")}));
}

TEST_F(RecentClipsTest, AStartClosesUpGapsByRenamesAndClearsTheEntriesPastTheList) {
    const struct {
        const char* name;
        std::function<void()> damage;
        std::vector<int> kept;  // the clips a start finds, oldest first
    } cases[] = {
        {"a missing file", [this] { folder.Remove(File(2)); }, {1, 3, 4}},
        {"an entry emptied by hand", [this] { folder.SetIni("RECENTS", "RECCLIP1", "0x0"); }, {2, 3, 4}},
        {"two gaps", [this] {
             folder.Remove(File(1));
             folder.SetIni("RECENTS", "RECCLIP3", "zz");
         }, {2, 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FillList(4);
        std::vector<std::string> clips = List();
        std::vector<ULONGLONG> ids;
        for (int p = 1; p <= 4; ++p) ids.push_back(folder.Exists(File(p)) ? folder.FileId(File(p)) : 0);
        c.damage();
        LoadRecentClips();
        ASSERT_EQ(RecentClip.size(), c.kept.size());
        for (std::size_t i = 0; i < c.kept.size(); ++i) {
            EXPECT_EQ(List()[i], clips[c.kept[i] - 1]);
            EXPECT_EQ(folder.FileId(File(static_cast<int>(i) + 1)), ids[c.kept[i] - 1]);
        }
        ExpectNoEntriesFrom(static_cast<int>(c.kept.size()) + 1);
        ExpectStartFindsTheList();
        ClearRecentClips(menu);
    }
    EXPECT_TRUE(LoggedInOrder({"Open File error CreateFile() (READ)", folder.LoggedFile(File(2))}));
}

TEST_F(RecentClipsTest, AFileThatCannotBeReadIsLeftOutAndKeptForTheNextStart) {
    FillList(3);
    std::vector<std::string> clips = List();
    HANDLE held = Hold(File(2));
    LoadRecentClips();
    EXPECT_TRUE(LoggedInOrder({"Open File error CreateFile() (READ)", folder.LoggedFile(File(2))}));
    EXPECT_EQ(List(), (std::vector<std::string>{clips[0], clips[2]}));
    Capture("after");  // takes position 4: position 2 is still the unread clip's
    CloseHandle(held);
    EXPECT_EQ(folder.Read(File(2)), "clip 2" + std::string(1, '\0'));
    LoadRecentClips();
    ASSERT_EQ(RecentClip.size(), 4u);
    EXPECT_EQ(List()[1], clips[1]);
    EXPECT_STREQ(RecentClip.back()->buf, "after");
}

TEST_F(RecentClipsTest, AStartCompletesAShiftThatACrashInterrupted) {
    // The order a capture follows on a full list: the new clip beside the list, the new entries with
    // the shift mark, position 1 aside, each file down one position, the new clip in, position 1 gone.
    std::vector<std::function<void()>> steps = {
        [this] { folder.Write("RECENT\\RECCLIP.TMP", std::string("new\0", 4)); },
        [this] {
            for (int p = 1; p <= 9; ++p) {
                folder.SetIni("RECENTS", Key("RECCLIP", p).c_str(), entries[p].first.c_str());
                folder.SetIni("RECENTS", Key("CAPTION", p).c_str(), entries[p].second.c_str());
            }
            folder.SetIni("RECENTS", "RECCLIP10", "0x1");
            folder.SetIni("RECENTS", "CAPTION10", "");
            folder.SetIni("RECENTS", "SHIFTING", "1");
        },
        [this] { MoveFileW(folder.File(File(1)).c_str(), folder.File("RECENT\\RECCLIP.OLD").c_str()); },
    };
    for (int p = 1; p <= 9; ++p)
        steps.push_back([this, p] { MoveFileW(folder.File(File(p + 1)).c_str(), folder.File(File(p)).c_str()); });
    steps.push_back([this] {
        MoveFileW(folder.File("RECENT\\RECCLIP.TMP").c_str(), folder.File(File(10)).c_str());
    });
    steps.push_back([this] { folder.SetIni("RECENTS", "SHIFTING", nullptr); });
    steps.push_back([this] { folder.Remove("RECENT\\RECCLIP.OLD"); });

    for (std::size_t done = 1; done <= steps.size(); ++done) {
        SCOPED_TRACE(done);
        FillList();
        std::vector<std::string> clips = List();
        entries.clear();
        for (int p = 1; p <= 10; ++p)
            entries.emplace_back(folder.Ini("RECENTS", Key("RECCLIP", p).c_str()),
                                 folder.Ini("RECENTS", Key("CAPTION", p).c_str()));
        for (std::size_t s = 0; s < done; ++s) steps[s]();
        LoadRecentClips();
        std::vector<std::string> expected(clips.begin() + (done > 1 ? 1 : 0), clips.end());
        if (done > 1) expected.push_back("1||" + std::string("new\0", 4));
        EXPECT_EQ(List(), expected);
        ExpectStartFindsTheList();
        ClearRecentClips(menu);
    }

    // A shift whose files were put back while its mark stayed (two failed Save.ini writes) cannot be
    // told from a finished one by its files: no entry may then name another clip's bytes.
    // So can one that a start cannot go on with (the file of position 1 held by another program).
    for (bool held : {false, true}) {
        FillList();
        std::vector<std::string> clips = List();
        if (held) steps[0]();
        steps[1]();
        HANDLE holder = held ? Hold(File(1)) : INVALID_HANDLE_VALUE;
        LoadRecentClips();
        if (held) CloseHandle(holder);
        for (const std::string& clip : List()) EXPECT_NE(std::find(clips.begin(), clips.end(), clip), clips.end()) << clip;
        EXPECT_EQ(folder.Ini("RECENTS", "RECCLIP0"), "<missing>");
        ExpectStartFindsTheList();
        ClearRecentClips(menu);
    }
}

TEST_F(RecentClipsTest, ATooLongInstallationPathIsReportedOnceAtTheStartAndFailsEveryStoreAndRead) {
    // The folder and its log fit MAX_PATH; the data files' paths in it would not.
    const std::string name(MAX_PATH - 16 - folder.Path().size(), 'd');
    const std::wstring deep = folder.File(name);
    ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
    SetProgramFolderForTests(deep.c_str());
    LoadRecentClips();
    Capture("one");
    Capture("two");
    EXPECT_TRUE(RecentClip.empty());
    // A read fails like a failed open and creates nothing.
    auto buffer = std::make_unique<char[]>(kClipBufferSize);
    EXPECT_LT(ReadClipFile(RecentClipFileName(1), buffer.get(), OpenMode::CreateIfMissing), 0);
    SetProgramFolderForTests(folder.Path().c_str());
    std::string log = folder.Read(name + "\\Clip.log");
    const std::string warning = "Installation path too long: clips can't be saved";
    std::size_t first = log.find(warning);
    EXPECT_NE(first, std::string::npos);
    EXPECT_EQ(log.find(warning, first + 1), std::string::npos);
    EXPECT_EQ(log.find("Couldn't create"), std::string::npos);
}

TEST_F(RecentClipsTest, RichAndUnicodeTextKeepTheirBytesAndCaptionsAcrossARestart) {
    const std::string rtf("{\\rtf1 Bold}\0", 13);
    const std::string unicode = Utf16Bytes(L"Привет & 😀 мир");
    const struct {
        std::vector<std::pair<UINT, std::string>> offered;
        UINT type;
        std::string bytes;
        const char* caption;  // CAPTION1 in Save.ini: the start of a rich text's plain text
        std::wstring item;
    } cases[] = {
        {{{g_nRichTextFormat, rtf}, {CF_TEXT, std::string("\r\n  Bold words from a document\0", 31)}},
         g_nRichTextFormat, rtf, "Bold words from", L"Ctl-1 'Bold words from'"},
        {{{CF_UNICODETEXT, unicode + "tail"}}, CF_UNICODETEXT, unicode, "", L"Ctl-1 'Привет && 😀 ...'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        ClearRecentClips(menu);
        ASSERT_TRUE(FillClipboard(c.offered));
        EXPECT_EQ(GetRecentClip(menu), 0);
        EXPECT_EQ(folder.Read(File(1)), c.bytes);
        EXPECT_EQ(folder.Ini("RECENTS", "RECCLIP1"), TypeValue(c.type));
        EXPECT_EQ(folder.Ini("RECENTS", "CAPTION1"), c.caption);
        EXPECT_EQ(MenuTextW(menu.GetSafeHmenu(), ID_RECENT_FIRST), c.item);

        ExpectStartFindsTheList();
        RedrawMenuRecent(menu);
        EXPECT_EQ(MenuTextW(menu.GetSafeHmenu(), ID_RECENT_FIRST), c.item);
        ASSERT_TRUE(ClearClipboard());
        EXPECT_EQ(PutRecentClip(0x301), 0);
        EXPECT_EQ(ClipboardBytes(c.type), c.bytes);
    }

    // Content its owner marked private changes nothing: list, files, index and menu stay.
    const std::string index = folder.Read("Save.ini");
    ASSERT_TRUE(FillClipboard({{CF_TEXT, std::string("password\0", 9)},
                               {RegisterClipboardFormatA("ExcludeClipboardContentFromMonitorProcessing"), "1"}}));
    EXPECT_EQ(GetRecentClip(menu), 1);
    EXPECT_TRUE(Logged("Clipboard content excluded"));
    EXPECT_EQ(RecentClip.size(), 1u);
    EXPECT_EQ(folder.Read("Save.ini"), index);
    EXPECT_FALSE(folder.Exists(File(2)));
    EXPECT_EQ(Item(2), "Ctl-2 <EMPTY>");
}

TEST_F(RecentClipsTest, ClearAllResetsTheIndexButLeavesTheFiles) {
    Capture("one");
    Capture("two");
    ClearRecentClips(menu);
    EXPECT_TRUE(RecentClip.empty());
    ExpectNoEntriesFrom(1);
    for (int p = 1; p <= 10; ++p) EXPECT_EQ(Item(p), "Ctl-" + std::to_string(p) + " <EMPTY>");
    EXPECT_TRUE(folder.Exists("RECENT\\RECCLIP1.DAT"));
    EXPECT_TRUE(Logged("OnRecentClear started"));
    LoadRecentClips();
    EXPECT_TRUE(RecentClip.empty());
}
