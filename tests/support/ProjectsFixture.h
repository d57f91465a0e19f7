#pragma once
#include <windows.h>

#include <string>

#include "support/ClipStoreFixture.h"

// The clip store's fixture plus an empty project list and a window that holds the project
// hotkeys (released with it).
class ProjectsTest : public ClipStoreTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // ProjectList as "<letter>:<name>" entries, '*' after the current one, separated by spaces.
    static std::string Listed();
    // Whether Ctrl+Win+letter is taken, tried from another registration.
    static bool HotkeyHeld(char letter);

    HWND window = nullptr;
};
