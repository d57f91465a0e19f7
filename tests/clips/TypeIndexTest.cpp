#include "clips/TypeIndex.h"

#include "clips/Clipboard.h"
#include "support/ClipStoreFixture.h"

using TypeIndexTest = ClipStoreTest;

TEST_F(TypeIndexTest, TypesAreWrittenInHexAndReadBackAndForeignRichTextIdsMapToThisRuns) {
    SetClipType(1, 0xC0A1, "Bold", true);
    // Save.ini is replaced whole by a copy made beside it, never rewritten in place (a kill in the
    // middle of a write would cut it); a copy a kill left behind is no part of it.
    const ULONGLONG written = folder.FileId("Save.ini");
    folder.Write("Save.TMP", "left by a kill");
    SetClipType(1, CF_TEXT, "", true);
    EXPECT_NE(folder.FileId("Save.ini"), written);
    EXPECT_FALSE(folder.Exists("Save.TMP"));
    // Written through the wide calls, the new file is still ANSI, byte for byte as before.
    EXPECT_EQ(folder.Read("Save.ini"), "[RECENTS]\r\nRECCLIP1=0x1\r\nCAPTION1=\r\n");

    g_nRichTextFormat = 0xC0F3;
    const std::pair<const char*, UINT> stored[] = {{"0xc0a1", 0xC0F3}, {"0xC000", 0xC000}, {"8", 8},
                                                   {"zz", 0},          {"0x1z", 1},        {"0XE", 14}};
    for (const auto& [value, type] : stored) {
        folder.SetIni("RECENTS", "RECCLIP1", value);
        EXPECT_EQ(GetClipType(1, nullptr, true), type) << value;
    }
}
