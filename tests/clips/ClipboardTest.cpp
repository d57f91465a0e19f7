#include "clips/Clipboard.h"

#include "support/ClipStoreFixture.h"

using ClipboardTest = ClipStoreTest;

TEST_F(ClipboardTest, TheFirstAcceptedFormatInTheClipboardsOrderIsChosen) {
    const UINT unaccepted = RegisterClipboardFormatA("Quorvex Test Private");
    ASSERT_TRUE(FillClipboard({{unaccepted, "x"}, {g_nRichTextFormat, "{\\rtf1 R}"}, {CF_TEXT, "plain"}}));
    EXPECT_EQ(ChooseClipFormat(), g_nRichTextFormat);

    ASSERT_TRUE(FillClipboard({{CF_TEXT, "plain"}, {g_nRichTextFormat, "{\\rtf1 R}"}}));
    EXPECT_EQ(ChooseClipFormat(), static_cast<UINT>(CF_TEXT));

    ASSERT_TRUE(FillClipboard({{unaccepted, "x"}}));
    EXPECT_EQ(ChooseClipFormat(), 0u);
    ClearClipboard();
    EXPECT_EQ(ChooseClipFormat(), 0u);
}

TEST_F(ClipboardTest, RichTextIsNotAcceptedWhileItsIdIsUnknown) {
    g_nRichTextFormat = 0;
    ASSERT_TRUE(FillClipboard({{RichTextId(), "{\\rtf1 R}"}}));
    EXPECT_EQ(ChooseClipFormat(), 0u);
}

TEST_F(ClipboardTest, GetClipBlockDeliversTheBytesOfGlobalMemoryFormatsOnly) {
    ASSERT_TRUE(FillClipboard({{CF_TEXT, std::string("hello\0tail", 10)}}));
    GlobalBlock text = GetClipBlock(CF_TEXT);
    ASSERT_TRUE(text);
    GlobalLockGuard lock(text.Get());
    ASSERT_NE(lock.Data(), nullptr);
    EXPECT_STREQ(static_cast<const char*>(lock.Data()), "hello");

    // A bitmap travels as a GDI handle, never as global memory.
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 4, 4);
    ReleaseDC(nullptr, screen);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_BITMAP, bitmap);
    CloseClipboard();
    EXPECT_FALSE(GetClipBlock(CF_BITMAP));
}

TEST_F(ClipboardTest, SetClipboardClipPutsExactlyOneFormatAndMarksTheChangeAsOurs) {
    ASSERT_TRUE(FillClipboard({{CF_TEXT, "old"}, {g_nRichTextFormat, "{\\rtf1 old}"}}));
    const char bytes[] = "{\\rtf1 new}";
    EXPECT_EQ(SetClipboardClip(g_nRichTextFormat, bytes, sizeof bytes), ClipboardWrite::Done);
    EXPECT_EQ(g_bSkipClipChange, 1);
    EXPECT_EQ(ClipboardBytes(g_nRichTextFormat), std::string(bytes, sizeof bytes));
    EXPECT_EQ(ClipboardBytes(CF_TEXT), "<none>");
    EXPECT_EQ(CountClipboardFormats(), 1);
}

TEST_F(ClipboardTest, FindRichTextFormatLogsEachNamedFormatUpToTheMatch) {
    g_nRichTextFormat = 0;
    FindRichTextFormat();
    EXPECT_EQ(g_nRichTextFormat, RichTextId());

    std::vector<std::string> expected;
    char name[256];
    for (UINT id = 0xC000; id < RichTextId(); ++id) {
        if (GetClipboardFormatNameA(id, name, sizeof name) <= 0) continue;
        char line[300];
        snprintf(line, sizeof line, "Enum Format: '%s' = 0x%X", name, id);
        expected.push_back(line);
    }
    char found[300];
    snprintf(found, sizeof found, "Enum Format: 'Rich Text Format' = 0x%X", RichTextId());
    expected.push_back(found);
    snprintf(found, sizeof found, "Found format 'Rich Text Format' = 0x%X", RichTextId());
    expected.push_back(found);
    EXPECT_EQ(folder.LogLines(), expected);
}
