#include "clips/RecentClips.h"

#include <thread>

#include "clips/Clipboard.h"
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
    std::string Item(int slot) const { return menu.GetMenuString(ID_RECENT_FIRST + slot - 1); }

    CMenu menu;
};

// Holds the clipboard open for another window, on another thread, for the life of the object.
class ClipboardHeldElsewhere {
public:
    ClipboardHeldElsewhere() {
        HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_thread = std::thread([this, opened] {
            HWND owner = CreateWindowA("STATIC", "holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
            OpenClipboard(owner);
            SetEvent(opened);
            WaitForSingleObject(m_release, INFINITE);
            CloseClipboard();
            DestroyWindow(owner);
        });
        WaitForSingleObject(opened, INFINITE);
        CloseHandle(opened);
    }
    ~ClipboardHeldElsewhere() {
        SetEvent(m_release);
        m_thread.join();
        CloseHandle(m_release);
    }

private:
    HANDLE m_release;
    std::thread m_thread;
};

}  // namespace

TEST_F(RecentClipsTest, ElevenCapturesKeepTheTenNewestAndRenumberTheirFiles) {
    for (int i = 1; i <= 11; ++i) Capture("clip " + std::to_string(i));
    ASSERT_EQ(RecentClip.size(), 10u);
    EXPECT_STREQ(RecentClip.front()->buf, "clip 2");
    EXPECT_EQ(folder.Read("RECENT\\RECCLIP1.DAT"), std::string("clip 2\0", 7));
    EXPECT_EQ(folder.Read("RECENT\\RECCLIP10.DAT"), std::string("clip 11\0", 8));
    EXPECT_EQ(folder.Ini("RECENTS", "RECCLIP10"), "0x1");
    EXPECT_EQ(folder.Ini("RECENTS", "CAPTION10"), "");
    EXPECT_EQ(Item(1), "Ctl-1 'clip 11 ...'");
    EXPECT_EQ(Item(10), "Ctl-10 'clip 2 ...'");
    EXPECT_TRUE(LoggedInOrder({"GetRecentClip started", "GlobalSize = 8  TYPE = 1", "CLIP_STR::CLIP_STR started",
                               "PutRecentClip OK", "RedrawMenuRecent started", "SaveRecentClips started",
                               "SetClipType started"}));
}

TEST_F(RecentClipsTest, AFewClipsWriteOnlyTheirOwnPositionsAndShowEmptySlots) {
    folder.Write("RECENT\\RECCLIP5.DAT", "untouched");
    Capture("Tom & Jerry");
    Capture("Tom & Jerry");  // no duplicate test: two slots
    EXPECT_EQ(RecentClip.size(), 2u);
    // The menu shows the '&' itself rather than underlining the next letter; the caption keeps it single.
    EXPECT_EQ(Item(1), "Ctl-1 'Tom && Jerry ...'");
    EXPECT_EQ(Item(2), "Ctl-2 'Tom && Jerry ...'");
    EXPECT_EQ(std::string(RecentClip.back()->buf), "Tom & Jerry");
    EXPECT_EQ(Item(3), "Ctl-3 <EMPTY>");
    EXPECT_EQ(folder.Read("RECENT\\RECCLIP5.DAT"), "untouched");
    EXPECT_EQ(folder.Ini("RECENTS", "RECCLIP3"), "<missing>");
}

TEST_F(RecentClipsTest, BlocksOfAnAcceptedSizeAreStoredAndOthersOnlyRedrawAndSave) {
    std::string largest(249998, 'a');
    Capture(largest);  // 249999 bytes with its NUL
    ASSERT_EQ(RecentClip.size(), 1u);
    EXPECT_EQ(RecentClip.back()->size, 249999u);
    EXPECT_EQ(folder.Read("RECENT\\RECCLIP1.DAT").size(), 249999u);

    ASSERT_TRUE(FillClipboard({{CF_TEXT, std::string(250000, 'b')}}));
    EXPECT_EQ(GetRecentClip(menu), 0);
    EXPECT_EQ(RecentClip.size(), 1u);
    EXPECT_TRUE(LoggedInOrder({"GlobalSize = 250000  TYPE = 1", "Buf Size too large", "PutRecentClip OK",
                               "RedrawMenuRecent started", "SaveRecentClips started"}));

    ClearClipboard();
    EXPECT_EQ(GetRecentClip(menu), 1);
    EXPECT_TRUE(Logged("Clipboard is empty"));
    EXPECT_EQ(RecentClip.size(), 1u);
}

TEST_F(RecentClipsTest, RichTextTakesItsCaptionFromThePlainTextPartAndKeepsItAcrossARestart) {
    ASSERT_TRUE(FillClipboard({{g_nRichTextFormat, std::string("{\\rtf1 Bold}\0", 13)},
                               {CF_TEXT, std::string("\r\n  Bold words from a document\0", 31)}}));
    EXPECT_EQ(GetRecentClip(menu), 0);
    ASSERT_EQ(RecentClip.size(), 1u);
    EXPECT_EQ(RecentClip.back()->type, g_nRichTextFormat);
    EXPECT_STREQ(RecentClip.back()->caption, "Bold words from");
    EXPECT_EQ(Item(1), "Ctl-1 'Bold words from'");
    EXPECT_TRUE(Logged("Rich text GlobalSize = 31"));

    char stored[16];
    snprintf(stored, sizeof stored, "0x%X", g_nRichTextFormat);
    EXPECT_EQ(folder.Ini("RECENTS", "RECCLIP1"), stored);
    EXPECT_EQ(folder.Ini("RECENTS", "CAPTION1"), "Bold words from");

    LoadRecentClips();
    RedrawMenuRecent(menu);
    ASSERT_EQ(RecentClip.size(), 1u);
    EXPECT_EQ(Item(1), "Ctl-1 'Bold words from'");
    EXPECT_EQ(std::string(RecentClip.back()->buf, RecentClip.back()->size), std::string("{\\rtf1 Bold}\0", 13));
}

TEST_F(RecentClipsTest, TextOfferedBeforeRichTextIsStoredAsText) {
    ASSERT_TRUE(FillClipboard({{CF_TEXT, std::string("plain\0", 6)}, {g_nRichTextFormat, "{\\rtf1 plain}"}}));
    EXPECT_EQ(GetRecentClip(menu), 0);
    ASSERT_EQ(RecentClip.size(), 1u);
    EXPECT_EQ(RecentClip.back()->type, static_cast<DWORD>(CF_TEXT));
    EXPECT_STREQ(RecentClip.back()->caption, "");
}

TEST_F(RecentClipsTest, AReloadSkipsMissingFilesAndClosesUp) {
    for (int i = 1; i <= 4; ++i) Capture("clip " + std::to_string(i));
    folder.Remove("RECENT\\RECCLIP2.DAT");
    folder.SetIni("RECENTS", "RECCLIP3", "0x0");

    LoadRecentClips();
    ASSERT_EQ(RecentClip.size(), 2u);
    EXPECT_STREQ(RecentClip[0]->buf, "clip 1");
    EXPECT_STREQ(RecentClip[1]->buf, "clip 4");
    EXPECT_TRUE(LoggedInOrder({"LoadRecentClips started", "Open File error CreateFile() (READ)",
                               folder.File("RECENT\\RECCLIP2.DAT")}));

    SaveRecentClips();
    EXPECT_EQ(folder.Read("RECENT\\RECCLIP2.DAT"), std::string("clip 4\0", 7));
}

TEST_F(RecentClipsTest, ClearAllResetsTheIndexButLeavesTheFiles) {
    Capture("one");
    Capture("two");
    ClearRecentClips(menu);
    EXPECT_TRUE(RecentClip.empty());
    for (int p = 1; p <= 10; ++p) {
        EXPECT_EQ(folder.Ini("RECENTS", ("RECCLIP" + std::to_string(p)).c_str()), "0x0");
        EXPECT_EQ(folder.Ini("RECENTS", ("CAPTION" + std::to_string(p)).c_str()), "<missing>");
        EXPECT_EQ(Item(p), "Ctl-" + std::to_string(p) + " <EMPTY>");
    }
    EXPECT_TRUE(folder.Exists("RECENT\\RECCLIP1.DAT"));
    EXPECT_TRUE(Logged("OnRecentClear started"));
    LoadRecentClips();
    EXPECT_TRUE(RecentClip.empty());
}

TEST_F(RecentClipsTest, APutThatFailsLeavesTheNextCopyToBeCaptured) {
    EXPECT_EQ(PutRecentClip(0x301), 1);
    EXPECT_TRUE(Logged("RecentClip.size =0"));
    EXPECT_EQ(g_bSkipClipChange, 0);

    Capture("a");
    {
        ClipboardHeldElsewhere held;
        EXPECT_EQ(PutRecentClip(0x301), 1);
    }
    EXPECT_TRUE(Logged("OpenClipboard error"));
    EXPECT_EQ(g_bSkipClipChange, 0);
}
