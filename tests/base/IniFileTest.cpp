#include "base/IniFile.h"

#include <thread>

#include "support/ClipStoreFixture.h"

class IniFileTest : public ClipStoreTest {
protected:
    void SetUp() override {
        ClipStoreTest::SetUp();
        ASSERT_TRUE(ProgramPathW(saveIni, "Save.ini"));
        folder.Write("Save.ini", "[A]\r\nNAME=Default\r\n");
    }
    wchar_t saveIni[MAX_PATH];
};

TEST_F(IniFileTest, AChangeWaitsAMomentForAnotherProgramReadingTheFileAndLeavesItWholeWhenItCannotBeMade) {
    // How another program shares Save.ini, and how long it holds it, while it is changed.
    struct Holder {
        DWORD sharing, heldMs;
        bool changed;
    };
    const Holder holders[] = {
        {.sharing = 0, .heldMs = 50, .changed = true},                 // no copy can be made meanwhile
        {.sharing = FILE_SHARE_READ, .heldMs = 50, .changed = true},   // the copy cannot replace it meanwhile
        {.sharing = FILE_SHARE_READ, .heldMs = 400, .changed = false},  // longer than a change waits
    };
    for (const Holder& holder : holders) {
        SCOPED_TRACE(holder.heldMs + holder.sharing);
        folder.SetIni("A", "CLIP1", nullptr);
        std::thread release = HoldFor("Save.ini", holder.heldMs, holder.sharing);
        EXPECT_EQ(WriteIni(saveIni, "A", "CLIP1", "0x1"), holder.changed);
        release.join();
        EXPECT_EQ(folder.Ini("A", "CLIP1"), holder.changed ? "0x1" : "<missing>");
        EXPECT_EQ(folder.Ini("A", "NAME"), "Default");
    }
    // A file far larger than any Save.ini the program writes is not read into memory to be copied.
    folder.Write("Save.ini", std::string(2 << 20, ';'));
    EXPECT_TRUE(WriteIni(saveIni, "A", "NAME", "Large"));
    EXPECT_EQ(folder.Read("Save.ini").find(std::string(2 << 20, ';')), 0u);
    FileHandle huge(CreateFileW(saveIni, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    const LARGE_INTEGER size{.QuadPart = (64 << 20) + 1};
    ASSERT_TRUE(SetFilePointerEx(huge.Get(), size, nullptr, FILE_BEGIN) && SetEndOfFile(huge.Get()));
    huge.Close();
    EXPECT_FALSE(WriteIni(saveIni, "A", "NAME", "Huge"));
    WIN32_FILE_ATTRIBUTE_DATA left{};
    ASSERT_TRUE(GetFileAttributesExW(saveIni, GetFileExInfoStandard, &left));
    EXPECT_EQ(left.nFileSizeLow, (64u << 20) + 1);
}

// Two threads of the program write one Save.ini (one program runs from a folder: it claims the folder at start).
TEST_F(IniFileTest, TwoWritersKeepEachOthersKeysAndAStartRemovesOnlyTheCopiesAKillLeftBehind) {
    auto key = [](int n) { return "KEY" + std::to_string(n); };
    auto writer = [&](const char* section) {
        return std::thread([&, section] {
            for (int n = 1; n <= 20; ++n) EXPECT_TRUE(WriteIni(saveIni, section, key(n).c_str(), section));
        });
    };
    std::thread first = writer("A"), second = writer("B");
    first.join();
    second.join();
    for (const char* section : {"A", "B"})
        for (int n = 1; n <= 20; ++n) EXPECT_EQ(folder.Ini(section, key(n).c_str()), section);
    EXPECT_EQ(folder.Ini("A", "NAME"), "Default");

    // Copies a kill left behind, this release's and an earlier one's; nothing else goes.
    for (const char* left : {"Save~1F.TMP", "Save.TMP"}) folder.Write(left, "left by a kill");
    folder.Write("Saved.TXT", "the user's");
    DiscardUnfinishedIniChange(saveIni);
    EXPECT_FALSE(folder.Exists("Save*.TMP"));
    EXPECT_TRUE(folder.Exists("Saved.TXT") && folder.Exists("Save.ini"));
}
