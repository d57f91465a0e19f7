#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

// What the tests on this fixture set and read comes with it: the program state it resets, the program folder and
// the clipboard helpers.
#include "app/TamblinDlg.h"           // IWYU pragma: export
#include "base/CurrentProject.h"       // IWYU pragma: export
#include "base/Log.h"                  // IWYU pragma: export
#include "base/ProgramFolder.h"        // IWYU pragma: export
#include "clips/Clipboard.h"           // IWYU pragma: export
#include "clips/DataFiles.h"           // IWYU pragma: export
#include "clips/RecentClips.h"         // IWYU pragma: export
#include "framework/Handles.h"         // IWYU pragma: export
#include "hotkeys/HotkeyGroups.h"       // IWYU pragma: export
#include "support/ClipboardFixture.h"  // IWYU pragma: export
#include "support/ProgramFiles.h"      // IWYU pragma: export

// A fresh program folder with RECENT, FAVORITE and EXPORT, used in place of the executable's folder
// while it exists, then removed. Named outside the ANSI code page, as a user's profile folder may be.
struct TestFolder : ProgramFiles {
    TestFolder() {
        m_path = FreshTemporaryFolder(L"quorvex-test", L" Квортекс тест");
        for (const char* sub : {"RECENT", "FAVORITE", "EXPORT"}) CreateDirectoryW(File(sub).c_str(), nullptr);
        SetProgramFolderForTests(m_path.c_str());
    }
    ~TestFolder() {
        SetProgramFolderForTests(nullptr);
        RemoveTree(m_path);
    }
};

// A fresh program folder, an empty clipboard, and the clip store's process-wide state reset.
class ClipStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearClipboard();
        g_bSkipClipChange = 0;
        g_nRichTextFormat = RichTextId();
        g_pAcceptedClipHook = nullptr;
        g_RecentClipNotStoredHook = [this](const std::wstring& folder) { toldNotStored.push_back(folder); };
        CurrentPrj = 0;
        SetKeySetsInForce(DefaultKeySets());
        NameClipSlotsByTheirKeys();
        // As at a start in an empty folder; the log begins after it.
        LoadRecentClips();
        DeleteLog();
    }
    void TearDown() override {
        RecentClip.clear();
        g_RecentClipNotStoredHook = nullptr;
    }

    // True when `expected` occurs in the log in this order (other lines may lie between).
    bool LoggedInOrder(const std::vector<std::string>& expected) const {
        std::vector<std::string> lines = folder.LogLines();
        auto at = lines.begin();
        for (const std::string& line : expected) {
            at = std::find(at, lines.end(), line);
            if (at == lines.end()) return false;
            ++at;
        }
        return true;
    }
    // The file as another program holds it open, sharing only `sharing` (created when missing).
    FileHandle Hold(const std::string& name, DWORD sharing = 0) const {
        return FileHandle(
            CreateFileW(folder.File(name).c_str(), GENERIC_READ, sharing, nullptr, OPEN_ALWAYS, 0, nullptr));
    }
    // The file held from now on, and let go after `ms` by a thread the caller joins: a virus scanner or
    // an indexer reading it for a moment.
    std::thread HoldFor(const std::string& name, DWORD ms, DWORD sharing = 0) const {
        HANDLE held = CreateFileW(folder.File(name).c_str(), GENERIC_READ, sharing, nullptr, OPEN_ALWAYS, 0, nullptr);
        return std::thread([held, ms] {
            Sleep(ms);
            CloseHandle(held);
        });
    }

    TestFolder folder;
    std::vector<std::wstring> toldNotStored;  // each time a save left a recent clip off the disk, its folder
};
