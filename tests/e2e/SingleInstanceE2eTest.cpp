// One instance per installation folder: a second start is refused, and "-exit" ends the running instance of the
// same installation and nothing else. (Windows ending it as Exit does is a component case.)
#include <cwchar>
#include <cwctype>

#include "E2eFixture.h"

namespace {

using SingleInstanceE2e = E2eTest;

TEST_F(SingleInstanceE2e, AnotherStartIsRefusedAndExitEndsOnlyTheInstanceOfItsOwnInstallation) {
    // The names in the global namespace by which an earlier release marked a folder's instance and locked its
    // Save.ini, made first and held, as any other account on the machine could, keep the program from nothing: it
    // starts, and stores its clips.
    auto hashed = [](const std::wstring& text) {  // lower-cased, FNV-1a
        unsigned long long hash = 14695981039346656037ull;
        for (wchar_t c : text) hash = (hash ^ std::towlower(c)) * 1099511628211ull;
        wchar_t digits[17];
        return std::wstring(digits, std::swprintf(digits, 17, L"%016llX", hash));
    };
    // The folder as the file system resolves it differs here only in its prefix and case.
    CreateSemaphoreW(nullptr, 1, 1, (L"Global\\Clipboard Quorvex " + hashed(L"\\\\?\\" + m_install.Path())).c_str());
    CreateMutexW(nullptr, TRUE, (L"Global\\Quorvex.IniChange." + hashed(m_install.File("Save.ini"))).c_str());
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
    EXPECT_EQ(m_install.LogCount("Error 0x21 opening Quorvex.lock: another instance runs from this folder"), 1);

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

    // With nothing running the request ends at once and leaves nothing that keeps the next start out; nor does an
    // instance killed, whose Quorvex.lock a virus scanner is reading. An installer that closes the program while its
    // tray menu is open ends it, and the file goes.
    EXPECT_TRUE(RunToEnd(m_install.Exe(), "-exit"));
    Program(m_install).Kill();
    FileHandle scanner(CreateFileW(m_install.File("Quorvex.lock").c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS, 0,
                                   nullptr));
    Program next(m_install);
    ASSERT_TRUE(next.Ready());
    scanner.Close();
    PostMessageA(next.MainWindow(), kTrayCallback, kTrayIconId, WM_RBUTTONUP);
    ASSERT_TRUE(PumpUntil([] { return IsWindowVisible(FindWindowA("#32768", nullptr)); }, kStepTimeoutMs));
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(next.MainWindow(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_NORMAL, 5000, &answer);
    EXPECT_TRUE(next.WaitForEnd()) << "the program stayed without its window";
    EXPECT_FALSE(m_install.Exists("Quorvex.lock"));
}

}  // namespace
