#include "clips/Favorites.h"

#include <thread>

#include "res/resource.h"
#include "support/ClipStoreFixture.h"

// Favourites of project B, shown in a loaded copy of the tray menu.
class FavoritesTest : public ClipStoreTest {
protected:
    void SetUp() override {
        ClipStoreTest::SetUp();
        CurrentPrj = 'B';
        ASSERT_TRUE(menu.LoadMenu(IDR_TRAY_MENU));
        g_FavoriteNotStoredHook = [this](FavoriteNotStored why) { told.push_back(why); };
    }
    void TearDown() override {
        g_FavoriteNotStoredHook = nullptr;
        ClipStoreTest::TearDown();
    }
    std::wstring Item(int slot) const {
        wchar_t text[256] = L"";
        GetMenuStringW(menu.GetSafeHmenu(), ID_FAVORITE_FIRST + slot - 1, text, 256, MF_BYCOMMAND);
        return text;
    }
    // Stores a selection as the save hotkey does, its copy putting what is offered (format, bytes) on the clipboard.
    int Save(int slot, const std::vector<std::pair<UINT, std::string>>& offered) {
        return GetFavClip(0x100 + slot, [&](auto&) { return FillClipboard(offered) || (ADD_FAILURE(), true); }, menu);
    }

    CMenu menu;
    std::vector<FavoriteNotStored> told;  // each save that stored nothing although it had something to store
};

// The clipboard's first stored format in its own order is read, with the text beside it for a caption.
TEST_F(FavoritesTest, EachKindIsStoredWithItsTypeAndCaptionShownAsRebuiltAndPutBack) {
    const UINT rich = RichTextId(), history = RegisterClipboardFormatA("CanIncludeInClipboardHistory");
    const std::string rtf = "{\\rtf1 R}", secret("secret\0", 7), unicode = Utf16Bytes(L"\tПривет\t😀 мир");
    struct Case {
        std::vector<std::pair<UINT, std::string>> offered;
        UINT type = 0;                   // 0: refused
        std::string bytes = {};          // stored
        const wchar_t* shown = nullptr;  // by LoadFavorite, a rich text's from the caption kept in Save.ini
        const char* heldBriefly = nullptr;  // by another program while the favourite is saved
    };
    // A file held for a moment is waited for.
    const Case cases[] = {
        {.offered = {{RegisterClipboardFormatA("Quorvex Test Private"), "x"}, {rich, rtf},
                     {CF_TEXT, std::string("\tplain\0", 7)}},
         .type = rich, .bytes = rtf, .shown = L"Win-3 'plain'", .heldBriefly = "FAVORITE\\BCLIPB3.DAT"},
        {.offered = {{rich, rtf}}, .type = rich, .bytes = rtf, .shown = L"Win-3 <RICH TEXT>",
         .heldBriefly = "Save.ini"},
        {.offered = {{CF_TEXT, std::string("plain\0tail\0", 11)}, {rich, rtf}}, .type = CF_TEXT,
         .bytes = std::string("plain\0tail\0", 11), .shown = L"Win-3 'plain' ..."},
        // Unicode text stays Unicode when the ANSI code page would change it, and only then. Its caption
        // shows ten characters (an emoji is one), cleaned as a text's is.
        {.offered = {{CF_UNICODETEXT, unicode + "tail"}}, .type = CF_UNICODETEXT, .bytes = unicode,
         .shown = L"Win-3 'Привет 😀' ..."},
        {.offered = {{CF_UNICODETEXT, Utf16Bytes(L"😀жжжжжжжж\U0010FFFDz")}}, .type = CF_UNICODETEXT,
         .bytes = Utf16Bytes(L"😀жжжжжжжж\U0010FFFDz"), .shown = L"Win-3 '😀жжжжжжжж\U0010FFFD' ..."},
        // Text the code page holds is ANSI text; its caption is its first 20 bytes, trimmed.
        {.offered = {{CF_UNICODETEXT, Utf16Bytes(L"\tcafé abcdefghijklm nopq")}}, .type = CF_TEXT,
         .bytes = std::string("\tcaf\xE9 abcdefghijklm nopq\0", 25), .shown = L"Win-3 'café abcdefghijklm' ..."},
        // An owner that puts both forms, its ANSI text first, is asked for its Unicode text alone, which keeps what
        // only it holds; the ANSI text stored is made from it.
        {.offered = {{CF_TEXT, std::string("??\0", 3)}, {CF_UNICODETEXT, Utf16Bytes(L"Жж")}}, .type = CF_UNICODETEXT,
         .bytes = Utf16Bytes(L"Жж"), .shown = L"Win-3 'Жж' ..."},
        {.offered = {{CF_TEXT, std::string("ok\0tail\0", 8)}, {CF_UNICODETEXT, Utf16Bytes(L"ok")}}, .type = CF_TEXT,
         .bytes = std::string("ok\0", 3), .shown = L"Win-3 'ok' ..."},
        // An owner's Unicode text is read wherever it lists it, its locale first or between its forms too.
        {.offered = {{CF_LOCALE, std::string("\x19\x04\0\0", 4)}, {CF_UNICODETEXT, Utf16Bytes(L"Жж")}},
         .type = CF_UNICODETEXT, .bytes = Utf16Bytes(L"Жж"), .shown = L"Win-3 'Жж' ..."},
        {.offered = {{CF_TEXT, std::string("??\0", 3)}, {CF_LOCALE, std::string("\x19\x04\0\0", 4)},
                     {CF_UNICODETEXT, Utf16Bytes(L"Жж")}},
         .type = CF_UNICODETEXT, .bytes = Utf16Bytes(L"Жж"), .shown = L"Win-3 'Жж' ..."},
        // A long text put only as Unicode is kept whole.
        {.offered = {{CF_UNICODETEXT, Utf16Bytes(std::wstring(200000, L'u'))}}, .type = CF_TEXT,
         .bytes = std::string(200000, 'u') + '\0', .shown = L"Win-3 'uuuuuuuuuuuuuuuuuuuu' ..."},
        // Content its owner marked private is refused; a history mark that allows it changes nothing.
        {.offered = {{CF_TEXT, secret}, {RegisterClipboardFormatA("Clipboard Viewer Ignore"), "1"}}},
        {.offered = {{CF_TEXT, secret}, {history, std::string(4, '\0')}}},
        {.offered = {{CF_TEXT, secret}, {history, std::string("\1\0\0\0", 4)}}, .type = CF_TEXT, .bytes = secret,
         .shown = L"Win-3 'secret' ..."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 40));
        std::thread release = c.heldBriefly ? HoldFor(c.heldBriefly, 50) : std::thread();
        EXPECT_EQ(Save(3, c.offered), c.type ? 0 : 1);
        if (release.joinable()) release.join();
        if (!c.type) continue;
        EXPECT_EQ(folder.Read("FAVORITE\\BCLIPB3.DAT"), c.bytes);
        EXPECT_EQ(folder.Ini("B", "CLIP3"), TypeValue(c.type));
        LoadFavorite(menu);
        EXPECT_EQ(Item(3), c.shown);
        ASSERT_TRUE(ClearClipboard());
        EXPECT_EQ(PutFavClip(0x203), 0);
        EXPECT_EQ(ClipboardBytes(c.type), c.bytes);
    }
    CurrentPrj = 0;  // without a current project nothing is copied, stored or shown
    EXPECT_EQ(GetFavClip(0x104, [](auto&) { return ADD_FAILURE() << "the selection was copied", true; }, menu), 1);
    LoadFavorite(menu);
    EXPECT_EQ(Item(3), L"Win-3 <EMPTY>");
}

TEST_F(FavoritesTest, ABlockOf250000BytesAFailedWriteOrAnEmptyClipboardStoreNothingAndEmptyOrDamagedSlotsPutNothing) {
    EXPECT_EQ(Save(10, {{CF_TEXT, std::string(249998, 'k') + '\0'}}), 0);  // Ctrl+Win+0
    EXPECT_EQ(Item(10), L"Win-10 'kkkkkkkkkkkkkkkkkkkk ...'");
    EXPECT_EQ(Save(2, {{CF_TEXT, std::string(249999, 'x') + '\0'}}), 0);
    // A save that cannot be stored whole (its file or Save.ini held open elsewhere) keeps the last good
    // favourite, its type and its menu item.
    const std::string dataFile = "FAVORITE\\BCLIPB10.DAT";
    const std::pair<std::string, std::vector<std::string>> heldFiles[] = {
        {dataFile, {"Couldn't create the file! (WRITE)", ToAnsi(folder.File(dataFile))}},
        {"Save.ini", {"Error save INI!"}},
    };
    for (const auto& [file, logged] : heldFiles) {
        FileHandle held = Hold(file);
        EXPECT_EQ(Save(10, {{RichTextId(), "{\\rtf1 z}"}}), 0);
        held.Close();
        EXPECT_EQ(folder.Read(dataFile), std::string(249998, 'k') + '\0') << file;
        EXPECT_EQ(folder.Ini("B", "CLIP10") + folder.Ini("B", "CAPTION10"), "0x1") << file;
        EXPECT_EQ(Item(10), L"Win-10 'kkkkkkkkkkkkkkkkkkkk ...'");
        EXPECT_FALSE(folder.Exists("FAVORITE\\BCLIPB10.TMP"));
        EXPECT_TRUE(LoggedInOrder(logged)) << file;
    }
    // The user is told of each, as of no recent clip: a favourite that is not stored is not kept either.
    const FavoriteNotStored tooLarge = FavoriteNotStored::TooLarge, notWritten = FavoriteNotStored::NotWritten;
    EXPECT_EQ(told, (std::vector<FavoriteNotStored>{tooLarge, notWritten, notWritten}));
    EXPECT_TRUE(toldNotStored.empty());
    // The copy before the save changed nothing (no selection): after a while the clipboard as it is is stored,
    // and the program's own from then on, no copy to capture.
    ASSERT_TRUE(PutTextOnClipboard("as it is"));
    EXPECT_FALSE(IsOwnClipboardContent());
    EXPECT_EQ(GetFavClip(0x101, [](auto&) { return true; }, menu), 0);
    EXPECT_EQ(folder.Read("FAVORITE\\BCLIPB1.DAT"), std::string("as it is\0", 9));
    EXPECT_TRUE(IsOwnClipboardContent());
    // An empty clipboard after a real change: nothing is stored.
    EXPECT_EQ(Save(5, {}), 1);
    // A slot never saved, a file without an index entry, an empty file, an entry without its file: nothing is put,
    // no file made.
    folder.Write("FAVORITE\\BCLIPB6.DAT", "bytes without an index entry");
    folder.Write("FAVORITE\\BCLIPB7.DAT", "");
    for (const char* key : {"CLIP7", "CLIP8"}) folder.SetIni("B", key, "0x1");
    DeleteLog();
    for (UINT id : {0x205u, 0x206u, 0x207u, 0x208u}) EXPECT_EQ(PutFavClip(id), 1) << id;
    EXPECT_FALSE(folder.Exists("FAVORITE\\BCLIPB5.DAT") || folder.Exists("FAVORITE\\BCLIPB8.DAT"));
    EXPECT_EQ(folder.LogCount("Clipboard favorite clip empty"), 4);
    EXPECT_EQ(folder.LogCount("Open File error CreateFile() (READ)"), 0);  // no file is no failure
    // A text favourite whose file cannot be read shows so, an unknown type as empty, a picture without
    // its file as a picture; neither the block too large nor the failed writes changed their slots' entries.
    for (auto [key, type] : {std::pair{"CLIP3", "0x1"}, {"CLIP4", "0x5"}, {"CLIP8", "0x2"}})
        folder.SetIni("B", key, type);
    LoadFavorite(menu);
    EXPECT_EQ(Item(3), L"Ctrl-3 <EMPTY>");
    for (int slot : {2, 4}) EXPECT_EQ(Item(slot), L"Win-" + std::to_wstring(slot) + L" <EMPTY>");
    EXPECT_EQ(Item(8), L"Win-8 <PICTURE>");
    EXPECT_EQ(Item(10), L"Win-10 'kkkkkkkkkkkkkkkkkkkk' ...");
}
