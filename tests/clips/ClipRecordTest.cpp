#include "clips/ClipRecord.h"

#include <memory>

#include "support/ClipStoreFixture.h"

using ClipRecordTest = ClipStoreTest;

TEST_F(ClipRecordTest, TextIsKeptToItsNulAndTerminatedOtherTypesWholeAndCaptionsAreCleanedAndCutToTwentyBytes) {
    const struct {
        UINT type;
        std::string given;
        std::size_t length;
        std::string kept;
    } cases[] = {
        {CF_TEXT, std::string("abc\0def", 7), 7, std::string("abc\0", 4)},
        {CF_TEXT, "abcd", 3, std::string("abc\0", 4)},  // cut at its length and terminated
        {CF_UNICODETEXT, Utf16Bytes(L"Привет") + "tail", 18, Utf16Bytes(L"Привет")},
        {CF_DIB, std::string("\1\0\2\0\3\0", 6), 6, std::string("\1\0\2\0\3\0", 6)},
        {0, "bytes", 5, ""},  // no clip
    };
    for (const auto& c : cases) {
        auto clip = std::make_unique<CLIP_STR>(c.type, c.given.data(), "\r\n\tThe quick brown  fox", c.length);
        EXPECT_EQ(std::string(clip->buf, clip->size), c.kept);
        EXPECT_EQ(clip->type, c.type);
        EXPECT_STREQ(clip->caption, c.type ? "The quick brown" : "");
    }
    char blanks[kCaptionSize] = " \t\r\n ";
    CleanCaption(blanks);
    EXPECT_STREQ(blanks, "");
}

TEST_F(ClipRecordTest, MenuCaptionsFollowTheClipKindAndWhereTheyAreShown) {
    const struct {
        UINT type;
        std::string bytes;
        CaptionStyle style;
        std::wstring caption;
    } cases[] = {
        {CF_TEXT, "\tabcdefghijklmnopqrstuvwxy", CaptionStyle::RecentItem, L"Ctl-7 'abcdefghijklmnopqrs ...'"},
        {CF_ENHMETAFILE, "", CaptionStyle::RecentItem, L"Ctl-7 <PICTURE>"},
        // An unknown type reads as rich text in the recent list but as empty when favourites are rebuilt.
        {0xBEEF, "", CaptionStyle::RecentItem, L"Ctl-7 <RICH TEXT>"},
        {0xBEEF, "", CaptionStyle::FavoriteRebuilt, L"Ctl-7 <EMPTY>"},
        // Unicode text shows its first ten characters (an emoji is one), cleaned like text.
        {CF_UNICODETEXT, Utf16Bytes(L"\r\n\tПривет, мир! Как дела?"), CaptionStyle::RecentItem, L"Ctl-7 'Привет, ...'"},
        {CF_UNICODETEXT, Utf16Bytes(L"Καλημέρα\tκόσμε"), CaptionStyle::FavoriteSaved, L"Ctl-7 'Καλημέρα κ ...'"},
        {CF_UNICODETEXT, Utf16Bytes(L"😀😁😂🤣😃😄😅😆😉😊😋"), CaptionStyle::RecentItem,
         L"Ctl-7 '😀😁😂🤣😃😄😅😆😉😊 ...'"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClipMenuCaption("Ctl", 7, c.type, c.bytes.data(), c.bytes.size(), "", c.style), c.caption);
}
