#pragma once
#include "support/ProgramFiles.h"

// A fresh program folder with RECENT, FAVORITE and EXPORT, used in place of the executable's folder
// while it exists, then removed. Named outside the ANSI code page, as a user's profile folder may be.
class TestFolder : public ProgramFiles {
public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;
};
