#include "append/AppendFile.h"

#include "support/ClipStoreFixture.h"

using AppendFileTest = ClipStoreTest;

// The capture with the program's append step, as the main window runs it.
TEST_F(AppendFileTest, EachCapturedTextIsOneEntryWithEveryLineEndAsCrLfOnceAndAPastePutsTheFileAsItIs) {
    CMenu menu;  // no menu: its items are not looked at here
    g_pAcceptedClipHook = AppendClipboardText;
    // What is captured, and the append mode then.
    const std::pair<std::vector<std::pair<UINT, std::string>>, int> captures[] = {
        {{{CF_TEXT, std::string("one\r\ntwo\nthree\n\0", 16)}}, 1},
        {{{CF_TEXT, std::string("\nlone CR\r stays\0", 16)}}, 1}, {{{CF_TEXT, std::string("mode off\0", 9)}}, 0},
        // A rich text appends its plain part, a Unicode text its ANSI form.
        {{{g_nRichTextFormat, "{\\rtf1 Bold}"}, {CF_TEXT, std::string("plain part\0", 11)}}, 1},
        {{{CF_UNICODETEXT, Utf16Bytes(L"Жук")}}, 1},
        {{{CF_TEXT, std::string(250000, 'x')}}, 1},  // too big to store
    };
    for (const auto& [formats, mode] : captures) {
        AppendMode = mode;
        ASSERT_TRUE(FillClipboard(formats));
        GetRecentClip(menu);
    }
    const std::string appended = "one\r\ntwo\r\nthree\r\n\r\n\r\nlone CR\r stays\r\nplain part\r\n???\r\n";
    EXPECT_EQ(folder.Read("ClipAppends.txt"), appended);
    // While another program holds the file open nothing is appended, and Clip.log tells why.
    FileHandle held = Hold("ClipAppends.txt");
    SaveAppendClip("lost\0", 5);
    held.Close();
    EXPECT_EQ(folder.Read("ClipAppends.txt"), appended);
    EXPECT_TRUE(LoggedInOrder({"Error open Appends file!"}));

    // A paste puts the file as it is, up to 249999 bytes.
    folder.Write("ClipAppends.txt", "an older\r\r\nentry\r\n");  // read as an earlier release wrote it
    EXPECT_EQ(PutAppendClip(), 0);
    EXPECT_EQ(ClipboardBytes(CF_TEXT), std::string("an older\r\r\nentry\r\n\0", 19));
    std::string large(300000, 'x');
    large[249998] = 'y';
    folder.Write("ClipAppends.txt", large);
    EXPECT_EQ(PutAppendClip(), 0);
    EXPECT_EQ(ClipboardText(), large.substr(0, 249999));
}
