#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "support/ClipboardFixture.h"
#include "support/ProgramFiles.h"

// A fresh program folder with RECENT, FAVORITE and EXPORT, used in place of the executable's folder
// while it exists, then removed. Named outside the ANSI code page, as a user's profile folder may be.
class TestFolder : public ProgramFiles {
public:
    TestFolder();
    ~TestFolder();
};

// A fresh program folder, an empty clipboard, and the clip store's process-wide state reset.
class ClipStoreTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    bool Logged(const std::string& line) const;
    // True when `expected` occurs in the log in this order (other lines may lie between).
    bool LoggedInOrder(const std::vector<std::string>& expected) const;
    // The file as another program holds it open, without sharing (created when missing).
    FileHandle Hold(const std::string& name) const;

    TestFolder folder;
};
