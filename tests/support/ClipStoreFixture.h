#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "support/ClipboardFixture.h"
#include "support/TestFolder.h"

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
