#include "base/Log.h"

#include "support/ClipStoreFixture.h"

using LogTest = ClipStoreTest;

TEST_F(LogTest, EntriesAreAppendedInTheirExactFormatAboveTheThresholdNotAtAllAndDeleteLogRemovesTheLog) {
    WriteLog("DestroyWindow started", 1);
    EXPECT_FALSE(folder.Exists("Clip.log"));
    WriteLog("first %d %s line", 0);
    WriteLogFormat(0, "GlobalSize = %d  TYPE = %d", 11, 1);
    EXPECT_EQ(folder.Read("Clip.log"), "\r\nLevel 0 - first %d %s line\r\n\r\nLevel 0 - GlobalSize = 11  TYPE = 1\r\n");
    DeleteLog();
    EXPECT_FALSE(folder.Exists("Clip.log"));  // the next entry starts a new log, as every test's first does
}
