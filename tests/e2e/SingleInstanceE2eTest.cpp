// One instance per installation folder: a second start is refused, and "-exit" ends the running instance of the
// same installation and nothing else. (Windows ending it as Exit does is a component case.)
#include "E2eFixture.h"

namespace {

using SingleInstanceE2e = E2eTest;

TEST_F(SingleInstanceE2e, AnotherStartIsRefusedAndExitEndsOnlyTheInstanceOfItsOwnInstallation) {
    Program first(m_install);
    ASSERT_TRUE(first.Ready());
    ASSERT_TRUE(CopyAndWaitForCapture("saved at exit", 1));
    const std::string logOfFirst = m_install.Read("Clip.log");

    // A plain start, and command lines that only resemble the exit request, are normal starts. The same folder's
    // program under another name is the same program: it ends too, and leaves Save.ini alone.
    const std::wstring renamed = m_install.File("Renamed.exe");
    ASSERT_TRUE(CopyFileW(m_install.Exe().c_str(), renamed.c_str(), FALSE));
    auto saveIni = [this] {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        GetFileAttributesExW(m_install.File("Save.ini").c_str(), GetFileExInfoStandard, &data);
        return m_install.Read("Save.ini") + std::to_string(data.ftLastWriteTime.dwLowDateTime);
    };
    const std::string saveIniOfFirst = saveIni();
    for (const char* arguments : {"", "-EXIT", " -exit x", "x -exit"}) {
        EXPECT_TRUE(RunToEnd(m_install.Exe(), arguments));
        ASSERT_TRUE(first.Running()) << "arguments \"" << arguments << "\"";
    }
    EXPECT_TRUE(RunToEnd(renamed, ""));
    ASSERT_TRUE(first.Running());
    EXPECT_EQ(saveIni(), saveIniOfFirst);
    EXPECT_EQ(m_install.Read("Clip.log").compare(0, logOfFirst.size(), logOfFirst), 0) << "a start restarted the log";

    // Another program's window with the very same title, found first, and a copy of the program in
    // another folder asking: neither ends the instance.
    CountingWindow lookalike(kMainTitle);
    ASSERT_EQ(FindWindowA(nullptr, kMainTitle), lookalike.handle);
    Installation elsewhere;
    ASSERT_TRUE(elsewhere.Ready());
    EXPECT_TRUE(RunToEnd(elsewhere.Exe(), "-exit"));
    EXPECT_TRUE(HandledAllPostedAndRuns(first)) << "a copy in another folder ended the instance";

    // Its own installation's request ends it, and it saves its clips on the way out.
    m_install.Remove(RecentFile(1));
    m_install.SetIni("RECENTS", "RECCLIP1", nullptr);
    EXPECT_TRUE(RunToEnd(m_install.Exe(), "-exit"));
    EXPECT_TRUE(first.WaitForEnd()) << "the running instance did not end";
    PumpFor(0);
    EXPECT_EQ(lookalike.Received(), 0) << "the other program's window got the Exit command";
    EXPECT_EQ(m_install.Read(RecentFile(1)), TextBlock("saved at exit"));
    EXPECT_EQ(m_install.Ini("RECENTS", "RECCLIP1"), "0x1");

    // With nothing running the request ends at once and leaves nothing that keeps the next start out.
    EXPECT_TRUE(RunToEnd(m_install.Exe(), "-exit"));
    EXPECT_TRUE(Program(m_install).Ready());
}

}  // namespace
