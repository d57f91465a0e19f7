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
    std::string File() const { return folder.Read("ClipAppends.txt"); }

    CMenu menu;
};

// A 1x1 device-independent bitmap, 32 bits a pixel.
std::string OnePixelDib() {
    BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), 1, 1, 1, 32, BI_RGB, 4, 0, 0, 0, 0};
    return std::string(reinterpret_cast<const char*>(&header), sizeof header) + std::string("\x10\x20\x30\x00", 4);
}

}  // namespace

TEST_F(AppendFileTest, EachCapturedTextIsOneEntryWithEveryLineEndStoredAsCrLfOnce) {
    struct Case {
        std::vector<std::string> texts;
        std::string file;
    };
    const Case cases[] = {
        {{"abc", "xyz"}, "abc\r\nxyz\r\n"},
        {{"one\r\ntwo\nthree\n"}, "one\r\ntwo\r\nthree\r\n\r\n"},
        {{"\nlone CR\r stays"}, "\r\nlone CR\r stays\r\n"},
    };
    for (const Case& c : cases) {
        folder.Remove("ClipAppends.txt");
        for (const std::string& text : c.texts) CaptureText(text);
        EXPECT_EQ(File(), c.file);
    }
    // A rich-text clip appends its plain-text part; a block is read only up to its NUL or its end.
    folder.Remove("ClipAppends.txt");
    Capture({{g_nRichTextFormat, "{\\rtf1 Bold}"}, {CF_TEXT, std::string("plain part\0", 11)}});
    SaveAppendClip("cut\0here", 8);
    SaveAppendClip("no NUL at all", 6);
    EXPECT_EQ(File(), "plain part\r\ncut\r\nno NUL\r\n");
    EXPECT_EQ(folder.LogCount("Rich text GlobalSize = 11"), 2) << "once to append, once for the caption";
}

TEST_F(AppendFileTest, NothingIsAppendedInModeOffForAPictureOrABigClipOrWhileTheFileIsHeldOpen) {
    AppendMode = 0;
    CaptureText("mode off");
    AppendMode = 1;
    Capture({{CF_DIB, OnePixelDib()}});
    CaptureText(std::string(250000, 'x'));
    EXPECT_FALSE(folder.Exists("ClipAppends.txt"));

    CaptureText("kept");
    {
        FileHandle held(CreateFileW(folder.File("ClipAppends.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held.IsValid());
        CaptureText("lost");
    }
    EXPECT_EQ(File(), "kept\r\n");
    EXPECT_EQ(folder.LogCount("Error open Appends file!"), 1);
    ASSERT_FALSE(RecentClip.empty());
    EXPECT_STREQ(RecentClip.front()->buf, "mode off");
    EXPECT_STREQ(RecentClip.back()->buf, "lost") << "the clip is stored all the same";
}

TEST_F(AppendFileTest, PutAppendClipPutsTheFileAsItIsUpTo249999Bytes) {
    folder.Write("ClipAppends.txt", "an older\r\r\nentry\r\n");  // read as an earlier release wrote it
    EXPECT_EQ(PutAppendClip(), 0);
    EXPECT_EQ(ClipboardBytes(CF_TEXT), std::string("an older\r\r\nentry\r\n\0", 19));
    EXPECT_EQ(g_bSkipClipChange, 1);

    std::string large(300000, 'x');
    large[249998] = 'y';
    folder.Write("ClipAppends.txt", large);
    EXPECT_EQ(PutAppendClip(), 0);
    EXPECT_EQ(ClipboardText(), large.substr(0, 249999));
    EXPECT_EQ(folder.LogCount("PutAppendClip started"), 2);
}
