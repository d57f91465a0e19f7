#include "base/Log.h"

#include <cstdlib>
#include <string>

#include "support/ClipStoreFixture.h"

using LogTest = ClipStoreTest;

// Each entry opens the log anew: the user may delete or rename Clip.log while the program runs, and the next entry
// starts a new one where they look.
TEST_F(LogTest, EntriesAreAppendedInTheirExactFormatAboveTheThresholdNotAtAllAndDeleteLogRemovesTheLog) {
    WriteLog("DestroyWindow started", 1);
    EXPECT_FALSE(folder.Exists("Clip.log"));
    WriteLog("first %d %s line", 0);
    WriteLogFormat(0, "GlobalSize = %d  TYPE = %d", 11, 1);
    EXPECT_EQ(folder.Read("Clip.log"), "\r\nLevel 0 - first %d %s line\r\n\r\nLevel 0 - GlobalSize = 11  TYPE = 1\r\n");
    ASSERT_TRUE(MoveFileW(folder.File("Clip.log").c_str(), folder.File("Clip.old").c_str()));
    // Line ends inside an entry are CR LF too.
    WriteLogFormat(0, "Error create directory - \n%s !", "C:\\EXPORT\\Work");
    EXPECT_EQ(folder.Read("Clip.log"), "\r\nLevel 0 - Error create directory - \r\nC:\\EXPORT\\Work !\r\n");
    EXPECT_EQ(folder.Read("Clip.old").size(), 69u) << "an entry went to the renamed log";
    folder.Remove("Clip.log");
    WriteLog("after", 0);
    EXPECT_EQ(folder.Read("Clip.log"), "\r\nLevel 0 - after\r\n");
    DeleteLog();
    EXPECT_FALSE(folder.Exists("Clip.log"));  // the next entry starts a new log, as every test's first does
    // Outside the tests the log, as every file of the program, lies beside the executable.
    wchar_t exe[MAX_PATH] = L"", log[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    SetProgramFolderForTests(nullptr);
    EXPECT_TRUE(ProgramPathW(log, "Clip.log"));
    SetProgramFolderForTests(folder.Path().c_str());
    EXPECT_EQ(std::wstring(log), std::wstring(exe).substr(0, std::wstring(exe).rfind(L'\\')) + L"\\Clip.log");
}

// Wine takes the ANSI code page from the Unix locale and quietly falls back to 1252 where that
// locale is missing. A run made for a code page names it, so such a fall-back fails here.
TEST(CodePage, IsTheOneTheRunWasStartedFor) {
    const char* wanted = std::getenv("QUORVEX_CODE_PAGE");
    if (!wanted) GTEST_SKIP() << "this run names no code page";
    EXPECT_EQ(GetACP(), std::stoul(wanted)) << "is the locale generated? (scripts/install-deps.sh)";
}
