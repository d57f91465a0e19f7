#include "append/AppendFile.h"

#include "clips/Clipboard.h"
#include "clips/RecentClips.h"
#include "support/ClipStoreFixture.h"

using AppendFileTest = ClipStoreTest;

// The capture with the program's append step, as the main window runs it.
TEST_F(AppendFileTest, EachCapturedTextIsOneEntryWithEveryLineEndAsCrLfOnceAndOtherClipsAppendTheirText) {
    CMenu menu;
    menu.CreatePopupMenu();
    g_pAcceptedClipHook = AppendClipboardText;
    BITMAPINFOHEADER header{sizeof header, 1, 1, 1, 32, BI_RGB, 4, 0, 0, 0, 0};
    // What is captured, and the append mode then.
    const std::pair<std::vector<std::pair<UINT, std::string>>, int> captures[] = {
        {{{CF_TEXT, std::string("abc\0", 4)}}, 1},
        {{{CF_TEXT, std::string("one\r\ntwo\nthree\n\0", 16)}}, 1},
        {{{CF_TEXT, std::string("\nlone CR\r stays\0", 16)}}, 1},
        {{{CF_TEXT, std::string("mode off\0", 9)}}, 0},
        // A rich text appends its plain part, a Unicode text its ANSI form, a picture nothing.
        {{{g_nRichTextFormat, "{\\rtf1 Bold}"}, {CF_TEXT, std::string("plain part\0", 11)}}, 1},
        {{{CF_UNICODETEXT, Utf16Bytes(L"Жук")}}, 1},
        {{{CF_DIB, std::string(reinterpret_cast<const char*>(&header), sizeof header) + "\x10\x20\x30"}}, 1},
        {{{CF_TEXT, std::string(250000, 'x')}}, 1},  // too big to store
    };
    for (const auto& [formats, mode] : captures) {
        AppendMode = mode;
        ASSERT_TRUE(FillClipboard(formats));
        GetRecentClip(menu);
    }
    // A block is read only up to its NUL or its end.
    SaveAppendClip("cut\0here", 8);
    SaveAppendClip("no NUL at all", 6);
    const std::string appended = "abc\r\none\r\ntwo\r\nthree\r\n\r\n\r\nlone CR\r stays\r\nplain part\r\n???\r\ncut\r\nno NUL\r\n";
    EXPECT_EQ(folder.Read("ClipAppends.txt"), appended);
    // While another program holds the file open nothing is appended, and Clip.log tells why.
    FileHandle held = Hold("ClipAppends.txt");
    SaveAppendClip("lost", 4);
    held.Close();
    EXPECT_EQ(folder.Read("ClipAppends.txt"), appended);
    EXPECT_TRUE(Logged("Error open Appends file!"));
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
