#include "append/AppendFile.h"

#include "clips/Clipboard.h"
#include "clips/RecentClips.h"
#include "framework/Handles.h"
#include "support/ClipStoreFixture.h"

namespace {

// The capture with the program's append step, as the main window runs it.
class AppendFileTest : public ClipStoreTest {
protected:
    void SetUp() override {
        ClipStoreTest::SetUp();
        menu.CreatePopupMenu();
        AppendMode = 1;
        g_pAcceptedClipHook = AppendClipboardText;
    }
    void Capture(const std::vector<std::pair<UINT, std::string>>& formats) {
        ASSERT_TRUE(FillClipboard(formats));
        GetRecentClip(menu);
    }
    void CaptureText(const std::string& text) { Capture({{CF_TEXT, text + '\0'}}); }

    CMenu menu;
};

}  // namespace

TEST_F(AppendFileTest, EachCapturedTextIsOneEntryWithEveryLineEndStoredAsCrLfOnce) {
    CaptureText("abc");
    CaptureText("one\r\ntwo\nthree\n");
    CaptureText("\nlone CR\r stays");
    // Other clips append their text: a rich text its plain part, a Unicode text its ANSI form.
    Capture({{g_nRichTextFormat, "{\\rtf1 Bold}"}, {CF_TEXT, std::string("plain part\0", 11)}});
    Capture({{CF_UNICODETEXT, Utf16Bytes(L"Жук")}});
    // A block is read only up to its NUL or its end.
    SaveAppendClip("cut\0here", 8);
    SaveAppendClip("no NUL at all", 6);
    EXPECT_EQ(folder.Read("ClipAppends.txt"),
              "abc\r\none\r\ntwo\r\nthree\r\n\r\n\r\nlone CR\r stays\r\nplain part\r\n???\r\ncut\r\nno NUL\r\n");
}

TEST_F(AppendFileTest, NothingIsAppendedInModeOffForAPictureOrABigClipOrWhileTheFileIsHeldOpen) {
    AppendMode = 0;
    CaptureText("mode off");
    AppendMode = 1;
    BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), 1, 1, 1, 32, BI_RGB, 4, 0, 0, 0, 0};
    Capture({{CF_DIB, std::string(reinterpret_cast<const char*>(&header), sizeof header) + "\x10\x20\x30"}});
    CaptureText(std::string(250000, 'x'));
    EXPECT_FALSE(folder.Exists("ClipAppends.txt"));

    CaptureText("kept");
    FileHandle held(CreateFileW(folder.File("ClipAppends.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held.IsValid());
    CaptureText("lost");
    held.Close();
    EXPECT_EQ(folder.Read("ClipAppends.txt"), "kept\r\n");
    EXPECT_EQ(folder.LogCount("Error open Appends file!"), 1);
    EXPECT_STREQ(RecentClip.back()->buf, "lost") << "the clip is stored all the same";
}

TEST_F(AppendFileTest, PutAppendClipPutsTheFileAsItIsUpTo249999Bytes) {
    EXPECT_EQ(PutAppendClip(), 1);  // no file yet: an empty one is made, and nothing is put
    EXPECT_TRUE(folder.Exists("ClipAppends.txt"));
    folder.Write("ClipAppends.txt", "an older\r\r\nentry\r\n");  // read as an earlier release wrote it
    EXPECT_EQ(PutAppendClip(), 0);
    EXPECT_EQ(ClipboardBytes(CF_TEXT), std::string("an older\r\r\nentry\r\n\0", 19));
    EXPECT_EQ(g_bSkipClipChange, 1);

    std::string large(300000, 'x');
    large[249998] = 'y';
    folder.Write("ClipAppends.txt", large);
    EXPECT_EQ(PutAppendClip(), 0);
    EXPECT_EQ(ClipboardText(), large.substr(0, 249999));
}
