#include "clips/ClipRecord.h"

#include <memory>

#include "clips/Clipboard.h"
#include "support/ClipStoreFixture.h"

using ClipRecordTest = ClipStoreTest;

TEST_F(ClipRecordTest, TextIsMeasuredToItsNulOrCutAtItsLengthAndTerminated) {
    const char text[64] = "0123456789";
    auto clip = std::make_unique<CLIP_STR>(CF_TEXT, text, nullptr, sizeof text);
    EXPECT_EQ(std::string(clip->buf, clip->size), std::string("0123456789\0", 11));
    EXPECT_TRUE(LoggedInOrder({"CLIP_STR::CLIP_STR started", "Call CLIP_STR::CLIP_STR - TEXT"}));
    const std::string unicode = Utf16Bytes(L"Привет");
    auto wide = std::make_unique<CLIP_STR>(CF_UNICODETEXT, (unicode + "tail").data(), nullptr, unicode.size() + 4);
    EXPECT_EQ(std::string(wide->buf, wide->size), unicode);

    // No NUL anywhere: the text is cut so that it and its NUL fit the 249999 bytes of a data file.
    for (std::size_t length : {kClipBufferSize + 100, kClipBufferSize - 1}) {
        std::string block(length, 'x');
        clip = std::make_unique<CLIP_STR>(CF_TEXT, block.data(), nullptr, block.size());
        EXPECT_EQ(clip->size, kClipBufferSize - 1);
        EXPECT_EQ(clip->buf[kClipBufferSize - 2], '\0');
    }
    const char unterminated[4] = {'a', 'b', 'c', 'd'};
    clip = std::make_unique<CLIP_STR>(CF_TEXT, unterminated, nullptr, 3);
    EXPECT_EQ(std::string(clip->buf, clip->size), std::string("abc\0", 4));
}

TEST_F(ClipRecordTest, OtherTypesTakeTheGivenLengthAndTypeZeroIsEmpty) {
    const char bytes[6] = {1, 0, 2, 0, 3, 0};
    auto picture = std::make_unique<CLIP_STR>(CF_DIB, bytes, nullptr, sizeof bytes);
    EXPECT_EQ(picture->size, 6u);
    EXPECT_EQ(picture->type, static_cast<DWORD>(CF_DIB));
    EXPECT_EQ(std::string(picture->buf, 6), std::string(bytes, 6));
    EXPECT_TRUE(Logged("Call CLIP_STR::CLIP_STR - NOT TEXT"));

    auto empty = std::make_unique<CLIP_STR>(0, bytes, "caption", sizeof bytes);
    EXPECT_EQ(empty->size, 0u);
    EXPECT_EQ(empty->type, 0u);
    EXPECT_STREQ(empty->caption, "");
}

TEST_F(ClipRecordTest, CaptionsAreCleanedAndCutToTwentyBytes) {
    char text[kCaptionSize] = "\r\n\tAB  CD\t";
    CleanCaption(text);
    EXPECT_STREQ(text, "AB  CD");

    auto clip = std::make_unique<CLIP_STR>(g_nRichTextFormat, "{\\rtf1}", "  The quick brown fox jumps", 8);
    EXPECT_STREQ(clip->caption, "The quick brown fo");  // first 20 bytes, then trimmed

    char blanks[kCaptionSize] = " \t\r\n ";
    CleanCaption(blanks);
    EXPECT_STREQ(blanks, "");
}

TEST_F(ClipRecordTest, MenuCaptionsFollowTheClipKindAndWhereTheyAreShown) {
    const char hello[] = "Hello";
    EXPECT_EQ(ClipMenuCaption("Ctl", 1, CF_TEXT, hello, sizeof hello, "", CaptionStyle::RecentItem),
              L"Ctl-1 'Hello ...'");
    EXPECT_EQ(ClipMenuCaption("Win", 3, CF_TEXT, hello, sizeof hello, "", CaptionStyle::FavoriteSaved),
              L"Win-3 'Hello ...'");
    EXPECT_EQ(ClipMenuCaption("Win", 3, CF_TEXT, hello, sizeof hello, "", CaptionStyle::FavoriteRebuilt),
              L"Win-3 'Hello' ...");

    const char longText[] = "\tabcdefghijklmnopqrstuvwxy";  // 25 letters after a tab
    EXPECT_EQ(ClipMenuCaption("Ctl", 2, CF_TEXT, longText, sizeof longText, "", CaptionStyle::RecentItem),
              L"Ctl-2 'abcdefghijklmnopqrs ...'");

    for (UINT picture : {CF_BITMAP, CF_DIB, CF_ENHMETAFILE})
        EXPECT_EQ(ClipMenuCaption("Ctl", 10, picture, "", 0, "", CaptionStyle::RecentItem), L"Ctl-10 <PICTURE>");
    EXPECT_EQ(ClipMenuCaption("Ctl", 4, 0, nullptr, 0, nullptr, CaptionStyle::RecentItem), L"Ctl-4 <EMPTY>");

    EXPECT_EQ(ClipMenuCaption("Ctl", 5, g_nRichTextFormat, "{\\rtf1}", 8, "Bold text", CaptionStyle::RecentItem),
              L"Ctl-5 'Bold text'");
    EXPECT_EQ(ClipMenuCaption("Ctl", 5, g_nRichTextFormat, "{\\rtf1}", 8, "", CaptionStyle::RecentItem),
              L"Ctl-5 <RICH TEXT>");
    // An unknown type reads as rich text in the recent list but as empty when favourites are rebuilt.
    EXPECT_EQ(ClipMenuCaption("Ctl", 6, 0xBEEF, "", 0, "", CaptionStyle::RecentItem), L"Ctl-6 <RICH TEXT>");
    EXPECT_EQ(ClipMenuCaption("Win", 6, 0xBEEF, "", 0, "", CaptionStyle::FavoriteRebuilt), L"Win-6 <EMPTY>");

    // Unicode text shows its first ten characters (an emoji is one), cleaned like text.
    const struct {
        std::wstring text;
        CaptionStyle style;
        std::wstring caption;
    } unicode[] = {
        {L"\r\n\tПривет, мир! Как дела?", CaptionStyle::RecentItem, L"Ctl-7 'Привет, ...'"},
        {L"Καλημέρα\tκόσμε", CaptionStyle::FavoriteSaved, L"Ctl-7 'Καλημέρα κ ...'"},
        {L"你好世界 & more", CaptionStyle::FavoriteRebuilt, L"Ctl-7 '你好世界 & mor' ..."},
        {L"😀😁😂🤣😃😄😅😆😉😊😋", CaptionStyle::RecentItem, L"Ctl-7 '😀😁😂🤣😃😄😅😆😉😊 ...'"},
    };
    for (const auto& c : unicode) {
        const std::string bytes = Utf16Bytes(c.text);
        EXPECT_EQ(ClipMenuCaption("Ctl", 7, CF_UNICODETEXT, bytes.data(), bytes.size(), "", c.style), c.caption);
    }
}
