#include "support/ClipStoreFixture.h"

#include "base/CurrentProject.h"
#include "base/Log.h"
#include "base/ProgramFolder.h"
#include "clips/Clipboard.h"
#include "clips/RecentClips.h"

TestFolder::TestFolder() {
    m_path = FreshTemporaryFolder(L"quorvex-test", L" Квортекс тест");
    for (const char* sub : {"RECENT", "FAVORITE", "EXPORT"}) CreateDirectoryW(File(sub).c_str(), nullptr);
    SetProgramFolderForTests(m_path.c_str());
}

TestFolder::~TestFolder() {
    SetProgramFolderForTests(nullptr);
    CloseLog();  // the open log would keep the folder from being removed
    RemoveTree(m_path);
}

void ClipStoreTest::SetUp() {
    ClearClipboard();
    g_bSkipClipChange = 0;
    g_nRichTextFormat = RichTextId();
    g_pAcceptedClipHook = nullptr;
    CurrentPrj = 0;
    // As at a start in an empty folder; the log begins after it.
    LoadRecentClips();
    DeleteLog();
}

void ClipStoreTest::TearDown() { RecentClip.clear(); }

bool ClipStoreTest::Logged(const std::string& line) const { return LoggedInOrder({line}); }

bool ClipStoreTest::LoggedInOrder(const std::vector<std::string>& expected) const {
    std::vector<std::string> lines = folder.LogLines();
    auto at = lines.begin();
    for (const std::string& line : expected) {
        at = std::find(at, lines.end(), line);
        if (at == lines.end()) return false;
        ++at;
    }
    return true;
}

FileHandle ClipStoreTest::Hold(const std::string& name) const {
    return FileHandle(CreateFileW(folder.File(name).c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS, 0, nullptr));
}
