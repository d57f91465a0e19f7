#include "clips/ClipRecord.h"

#include <memory>

#include "support/ClipStoreFixture.h"

using ClipRecordTest = ClipStoreTest;

TEST_F(ClipRecordTest, TextIsKeptToItsNulOtherTypesWholeAndCaptionsAreCleanedAndCutToTwentyBytes) {
    // The type, the bytes given and their length, and the bytes kept.
    const std::tuple<UINT, std::string, std::size_t, std::string> cases[] = {
        {CF_TEXT, std::string("abc\0def", 7), 7, std::string("abc\0", 4)},
        {CF_TEXT, "abcd", 3, std::string("abc\0", 4)},  // cut at its length and terminated
        {CF_UNICODETEXT, Utf16Bytes(L"Привет") + "tail", 18, Utf16Bytes(L"Привет")},
        {CF_DIB, std::string("\1\0\2\0\3\0", 6), 6, std::string("\1\0\2\0\3\0", 6)},
        {0, "bytes", 5, ""},  // no clip
    };
    for (const auto& [type, given, length, kept] : cases) {
        auto clip = std::make_unique<CLIP_STR>(type, given.data(), "\r\n\tThe quick brown  fox", length);
        EXPECT_EQ(std::string(clip->buf, clip->size), kept);
        EXPECT_EQ(clip->type, type);
        EXPECT_STREQ(clip->caption, type ? "The quick brown" : "");
    }
    EXPECT_EQ(ClipMenuCaption("Ctl", 7, CF_ENHMETAFILE, "", 0, "", CaptionStyle::RecentItem), L"Ctl-7 <PICTURE>");
    // An unknown type reads as rich text in the recent list (as empty when favourites are rebuilt).
    EXPECT_EQ(ClipMenuCaption("Ctl", 7, 0xBEEF, "", 0, "", CaptionStyle::RecentItem), L"Ctl-7 <RICH TEXT>");
}
