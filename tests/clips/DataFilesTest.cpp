#include "clips/DataFiles.h"

#include <memory>

#include "support/ClipStoreFixture.h"

using DataFilesTest = ClipStoreTest;

TEST_F(DataFilesTest, AWriteReplacesTheWholeFileOrFailsKeepingTheLastGoodCopyAndIsLoggedWithItsPath) {
    folder.Write("RECENT\\RECCLIP1.DAT", std::string(1000, 'o'));
    ASSERT_TRUE(WriteClipFile(RecentClipFileName(1), "new\0", 4, "Couldn't create the file (WRITE)!"));
    EXPECT_EQ(folder.Read("RECENT\\RECCLIP1.DAT"), std::string("new\0", 4));
    EXPECT_FALSE(folder.Exists("RECENT\\RECCLIP1.TMP"));

    // Another program holds the file open without sharing, so it cannot be replaced.
    HANDLE held = CreateFileW(folder.File("RECENT\\RECCLIP1.DAT").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(WriteClipFile(RecentClipFileName(1), "bad", 3, "Couldn't create the file (WRITE)!"));
    CloseHandle(held);
    EXPECT_EQ(folder.Read("RECENT\\RECCLIP1.DAT"), std::string("new\0", 4));
    EXPECT_FALSE(folder.Exists("RECENT\\RECCLIP1.TMP"));
    EXPECT_TRUE(LoggedInOrder({"Couldn't create the file (WRITE)!", folder.LoggedFile("RECENT\\RECCLIP1.DAT")}));
}

TEST_F(DataFilesTest, ReadsTakeAtMost249999BytesAndOpenAsTheReaderAsks) {
    folder.Write("RECENT\\RECCLIP3.DAT", std::string(300000, 'r'));
    auto buffer = std::make_unique<char[]>(250000);
    EXPECT_EQ(ReadClipFile(RecentClipFileName(3), buffer.get(), OpenMode::ExistingOnly), 249999);

    EXPECT_EQ(ReadClipFile(RecentClipFileName(4), buffer.get(), OpenMode::ExistingOnly), kClipFileMissing);
    EXPECT_TRUE(LoggedInOrder({"Open File error CreateFile() (READ)", folder.LoggedFile("RECENT\\RECCLIP4.DAT")}));
    EXPECT_FALSE(folder.Exists("RECENT\\RECCLIP4.DAT"));

    EXPECT_EQ(ReadClipFile(FavoriteClipFileName('B', 7), buffer.get(), OpenMode::CreateIfMissing), 0);
    EXPECT_TRUE(folder.Exists("FAVORITE\\BCLIPB7.DAT"));
}
