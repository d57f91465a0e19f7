#include "append/AppendFile.h"

#include "framework/TextConversion.h"
#include "support/ClipStoreFixture.h"

using AppendFileTest = ClipStoreTest;

// The capture with the program's append step, as the main window runs it.
TEST_F(AppendFileTest, EachCapturedTextIsOneUtf8EntryWithEveryLineEndAsCrLfOnceAndAPastePutsItBackWhole) {
    CMenu menu;  // no menu: its items are not looked at here
    g_pAcceptedClipHook = AppendClipboardText;
    const BITMAPINFOHEADER header{sizeof header, 2, 2, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const std::string picture = std::string(reinterpret_cast<const char*>(&header), sizeof header) + std::string(16, 'p');
    const std::string beside(260000, 'b');
    // A letter of the run's ANSI code page (Western, Cyrillic or Japanese), as an earlier release wrote it.
    const std::wstring letter = GetACP() == 932 ? L"日" : GetACP() == 1251 ? L"й" : L"é";
    const std::string ansi = AnsiText(letter.c_str()), utf8 = Utf8Text(letter);
    // What is captured, and the append mode then.
    const std::pair<std::vector<std::pair<UINT, std::string>>, int> captures[] = {
        {{{CF_TEXT, std::string("one\r\ntwo\nthree\n\0", 16)}}, 1},
        {{{CF_TEXT, std::string("\nlone CR\r stays\0", 16)}}, 1}, {{{CF_TEXT, std::string("mode off\0", 9)}}, 0},
        // A rich text appends its plain part, a picture the text beside it however long; every character is kept.
        {{{g_nRichTextFormat, "{\\rtf1 Bold}"}, {CF_TEXT, std::string("plain part\0", 11)}}, 1},
        {{{CF_DIB, picture}, {CF_TEXT, beside + '\0'}}, 1},
        {{{CF_UNICODETEXT, Utf16Bytes(L"Жук 日本 😀 é")}}, 1},
        {{{CF_TEXT, "caf" + ansi + '\0'}}, 1},
        {{{CF_TEXT, std::string(250000, 'x')}}, 1},  // too big to store
    };
    for (const auto& [formats, mode] : captures) {
        AppendMode = mode;
        ASSERT_TRUE(FillClipboard(formats));
        GetRecentClip(menu);
    }
    const std::string appended = "one\r\ntwo\r\nthree\r\n\r\n\r\nlone CR\r stays\r\nplain part\r\n" + beside + "\r\n" +
                                 u8"Жук 日本 😀 é\r\ncaf" + utf8 + "\r\n";
    EXPECT_EQ(folder.Read("ClipAppends.txt"), appended);
    // While another program holds the file open nothing is appended, and Clip.log tells why.
    FileHandle held = Hold("ClipAppends.txt");
    SaveAppendClip(L"lost");
    held.Close();
    EXPECT_EQ(folder.Read("ClipAppends.txt"), appended);
    EXPECT_TRUE(LoggedInOrder({"Error open Appends file!"}));

    // An earlier release's file, in the ANSI code page, keeps its characters: a paste reads it so, and the first new
    // entry turns it into UTF-8, whole.
    folder.Write("ClipAppends.txt", "an older caf" + ansi + "\r\r\nentry\r\n");
    EXPECT_EQ(PutAppendClip(), 0);
    const std::wstring older = L"an older caf" + letter + L"\r\r\nentry\r\n";
    EXPECT_EQ(ClipboardBytes(CF_UNICODETEXT), Utf16Bytes(older));
    SaveAppendClip(L"Жук 😀");
    EXPECT_EQ(folder.Read("ClipAppends.txt"), Utf8Text(older) + u8"Жук 😀\r\n");
    EXPECT_EQ(PutAppendClip(), 0);
    EXPECT_EQ(ClipboardBytes(CF_UNICODETEXT), Utf16Bytes(older + L"Жук 😀\r\n"));
    // A line an earlier release adds later is read in the ANSI code page, and made UTF-8 alone: the lines around it
    // are read and kept as they are.
    folder.Write("ClipAppends.txt", folder.Read("ClipAppends.txt") + "th" + ansi + "\r\n");
    EXPECT_EQ(PutAppendClip(), 0);
    EXPECT_EQ(ClipboardBytes(CF_UNICODETEXT), Utf16Bytes(older + L"Жук 😀\r\nth" + letter + L"\r\n"));
    SaveAppendClip(L"new");
    EXPECT_EQ(folder.Read("ClipAppends.txt"), Utf8Text(older) + u8"Жук 😀\r\nth" + utf8 + "\r\nnew\r\n");
    // A paste puts the file's first 249999 bytes, a character cut there left out whole.
    folder.Write("ClipAppends.txt", std::string(249996, 'x') + u8"yéé" + std::string(1000, 'z'));
    EXPECT_EQ(PutAppendClip(), 0);
    EXPECT_EQ(ClipboardBytes(CF_UNICODETEXT), Utf16Bytes(std::wstring(249996, L'x') + L"yé"));
    // Saved by an editor as "Unicode", the file is read as UTF-16, and the next entry makes it UTF-8.
    const std::string utf16 = Utf16Bytes(L"Жук\r\n");
    folder.Write("ClipAppends.txt", "\xFF\xFE" + utf16.substr(0, utf16.size() - 2));
    EXPECT_EQ(PutAppendClip(), 0);
    EXPECT_EQ(ClipboardBytes(CF_UNICODETEXT), utf16);
    SaveAppendClip(L"x");
    EXPECT_EQ(folder.Read("ClipAppends.txt"), u8"Жук\r\nx\r\n");
}
