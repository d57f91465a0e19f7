#include "clips/Favorites.h"

#include <cstdio>

#include "base/CurrentProject.h"
#include "clips/Clipboard.h"
#include "clips/TypeIndex.h"
#include "framework/Handles.h"
#include "res/resource.h"
#include "support/ClipStoreFixture.h"

namespace {

// Favourites of project B, shown in a loaded copy of the tray menu.
class FavoritesTest : public ClipStoreTest {
protected:
    void SetUp() override {
        ClipStoreTest::SetUp();
        CurrentPrj = 'B';
        ASSERT_TRUE(menu.LoadMenu(IDR_TRAY_MENU));
    }
    std::wstring Item(int slot) const { return MenuTextW(menu.GetSafeHmenu(), ID_FAVORITE_FIRST + slot - 1); }
    // Stores the clipboard as the copy of the save hotkey would have left it.
    // As the hotkey does: the flag is set before the copy, which changed the clipboard.
    int Save(int slot) {
        g_bSkipClipChange = 1;
        return GetFavClip(0x100 + slot, GetClipboardSequenceNumber() - 1, menu);
    }

    CMenu menu;
};

// A 2 x 2 pixel, 24-bit device-independent bitmap.
std::string TinyBitmap() {
    BITMAPINFOHEADER header{sizeof header, 2, 2, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    return std::string(reinterpret_cast<const char*>(&header), sizeof header) + std::string(16, '\x40');
}

struct CaptionCase {
    const char* what;
    std::vector<std::pair<UINT, std::string>> clipboard;
    const wchar_t* saved;
    const wchar_t* rebuilt;
    const char* caption;  // CAPTION<n> in Save.ini
};

}  // namespace

TEST_F(FavoritesTest, EachKindIsStoredWithItsTypeAndShownJustSavedAndRebuilt) {
    const UINT rich = RichTextId();
    const CaptionCase cases[] = {
        {"text", {{CF_TEXT, std::string("Hello\0", 6)}}, L"Win-3 'Hello ...'", L"Win-3 'Hello' ...", ""},
        {"rich text", {{rich, "{\\rtf1 x}"}, {CF_TEXT, std::string("\tplain part\0", 12)}}, L"Win-3 'plain part'",
         L"Win-3 'plain part'", "plain part"},
        {"rich text without plain text", {{rich, "{\\rtf1 y}"}}, L"Win-3 <RICH TEXT>", L"Win-3 <RICH TEXT>", ""},
        {"unicode text", {{CF_UNICODETEXT, Utf16Bytes(L"Привет & мир")}}, L"Win-3 'Привет && м ...'",
         L"Win-3 'Привет && м' ...", ""},
        {"picture", {{CF_DIB, TinyBitmap()}}, L"Win-3 <PICTURE>", L"Win-3 <PICTURE>", ""},
    };
    for (const CaptionCase& c : cases) {
        ASSERT_TRUE(FillClipboard(c.clipboard)) << c.what;
        EXPECT_EQ(Save(3), 0) << c.what;
        EXPECT_EQ(Item(3), c.saved) << c.what;
        // The whole block is stored, whatever it holds after a text's NUL.
        EXPECT_EQ(folder.Read("FAVORITE\\BCLIPB3.DAT"), c.clipboard.front().second) << c.what;
        EXPECT_EQ(folder.Ini("B", "CAPTION3"), c.caption) << c.what;
        EXPECT_EQ(folder.Ini("B", "CLIP3"), TypeValue(c.clipboard.front().first)) << c.what;
        LoadFavorite(menu);
        EXPECT_EQ(Item(3), c.rebuilt) << c.what;
        EXPECT_EQ(Item(4), L"Win-4 <EMPTY>") << c.what;

        ASSERT_TRUE(ClearClipboard());
        EXPECT_EQ(PutFavClip(0x203), 0) << c.what;
        EXPECT_EQ(ClipboardBytes(c.clipboard.front().first), c.clipboard.front().second) << c.what;
    }
}

TEST_F(FavoritesTest, BlocksBelow250000BytesAreStoredAndLargerOnesChangeNothing) {
    ASSERT_TRUE(PutTextOnClipboard(std::string(249998, 'k')));
    EXPECT_EQ(Save(10), 0);  // Ctrl+Win+0
    EXPECT_EQ(folder.Read("FAVORITE\\BCLIPB10.DAT").size(), 249999u);
    EXPECT_EQ(folder.Ini("B", "CLIP10"), "0x1");

    ASSERT_TRUE(PutTextOnClipboard(std::string(249999, 'x')));
    EXPECT_EQ(Save(2), 0);
    EXPECT_TRUE(Logged("GlobalSize = 250000"));
    EXPECT_FALSE(folder.Exists("FAVORITE\\BCLIPB2.DAT"));
    EXPECT_EQ(folder.Ini("B", "CLIP2"), "<missing>");
    EXPECT_EQ(Item(2), L"Ctl-2");

    // A write that fails (the file held open elsewhere) keeps the last good favourite and its type.
    FileHandle held(CreateFileW(folder.File("FAVORITE\\BCLIPB10.DAT").c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(FillClipboard({{RichTextId(), "{\\rtf1 z}"}}));
    EXPECT_EQ(Save(10), 0);
    EXPECT_TRUE(LoggedInOrder({"Couldn't create the file! (WRITE)", folder.LoggedFile("FAVORITE\\BCLIPB10.DAT")}));
    EXPECT_EQ(folder.Ini("B", "CLIP10"), "0x1");
}

TEST_F(FavoritesTest, TheSkipFlagIsSetOnlyWhenTheClipboardReallyChanged) {
    // The copy before the save changed nothing (no selection): no notification will come.
    ASSERT_TRUE(PutTextOnClipboard("as it was"));
    g_bSkipClipChange = 1;
    EXPECT_EQ(GetFavClip(0x101, GetClipboardSequenceNumber(), menu), 0);
    EXPECT_EQ(g_bSkipClipChange, 0);
    EXPECT_EQ(folder.Read("FAVORITE\\BCLIPB1.DAT"), std::string("as it was\0", 10));
    EXPECT_EQ(Save(1), 0);
    EXPECT_EQ(g_bSkipClipChange, 1);

    // Empty clipboard after a real change: the flag stays set, nothing stored.
    ASSERT_TRUE(ClearClipboard());
    EXPECT_EQ(Save(5), 1);
    EXPECT_EQ(g_bSkipClipChange, 1);
    EXPECT_TRUE(Logged("Clipboard is empty"));

    // Content its owner marked private is refused as an empty clipboard is: nothing stored.
    ASSERT_TRUE(FillClipboard({{CF_TEXT, std::string("password\0", 9)},
                               {RegisterClipboardFormatA("ExcludeClipboardContentFromMonitorProcessing"), "1"}}));
    EXPECT_EQ(Save(5), 1);
    EXPECT_TRUE(Logged("Clipboard content excluded"));
    EXPECT_FALSE(folder.Exists("FAVORITE\\BCLIPB5.DAT"));
    EXPECT_EQ(folder.Ini("B", "CLIP5"), "<missing>");
}

TEST_F(FavoritesTest, EmptySlotsPutNothingAndLeaveTheFlagClear) {
    folder.Write("FAVORITE\\BCLIPB6.DAT", "bytes without an index entry");
    folder.Write("FAVORITE\\BCLIPB7.DAT", "");
    folder.SetIni("B", "CLIP7", "0x1");
    ASSERT_TRUE(PutTextOnClipboard("the person's clip"));
    for (UINT id : {0x205u, 0x206u, 0x207u, 0x20Au}) {
        EXPECT_EQ(PutFavClip(id), 1) << id;
        EXPECT_EQ(ClipboardText(), "the person's clip") << id;
        EXPECT_EQ(g_bSkipClipChange, 0) << id;
    }
    EXPECT_EQ(folder.LogCount("Clipboard favorite clip empty"), 4);
    // A paste of a never-saved slot creates no file.
    EXPECT_FALSE(folder.Exists("FAVORITE\\BCLIPB5.DAT"));

    // A text favourite whose file is gone, an unknown type and a picture without its file.
    folder.SetIni("B", "CLIP1", "0x1");
    folder.SetIni("B", "CLIP2", "0x5");
    folder.SetIni("B", "CLIP8", "0x2");
    LoadFavorite(menu);
    EXPECT_EQ(Item(1), L"Win-1 <EMPTY>");
    EXPECT_TRUE(LoggedInOrder({"Open File error CreateFile() (READ)", folder.LoggedFile("FAVORITE\\BCLIPB1.DAT")}));
    EXPECT_EQ(Item(2), L"Win-2 <EMPTY>");
    EXPECT_EQ(Item(6), L"Win-6 <EMPTY>");
    EXPECT_EQ(Item(8), L"Win-8 <PICTURE>");
}

TEST_F(FavoritesTest, WithoutACurrentProjectNothingIsStoredOrCreated) {
    CurrentPrj = 0;
    ASSERT_TRUE(PutTextOnClipboard("selected"));
    EXPECT_EQ(Save(1), 1);
    EXPECT_EQ(PutFavClip(0x201), 1);
    SetClipType(1, CF_TEXT, "", false);
    LoadFavorite(menu);
    EXPECT_EQ(Item(1), L"Win-1 <EMPTY>");
    EXPECT_FALSE(folder.Exists("Save.ini"));
    WIN32_FIND_DATAW found;
    EXPECT_EQ(FindFirstFileW(folder.File("FAVORITE\\*CLIPB*").c_str(), &found), INVALID_HANDLE_VALUE)
        << ToAnsi(found.cFileName);
    EXPECT_EQ(ClipboardText(), "selected");
}
