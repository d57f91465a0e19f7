#include "support/ProjectsFixture.h"

#include "projects/Projects.h"

void ProjectsTest::SetUp() {
    ClipStoreTest::SetUp();
    ProjectList.clear();
    window = CreateWindowA("STATIC", "Quorvex test hotkeys", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
}

void ProjectsTest::TearDown() {
    DestroyWindow(window);
    ProjectList.clear();
    ClipStoreTest::TearDown();
}

std::string ProjectsTest::Listed() {
    std::string listed;
    for (const PRJ_STR& project : ProjectList) {
        if (!listed.empty()) listed += ' ';
        listed += std::string(1, project.letter) + ":" + project.name + (project.selected ? "*" : "");
    }
    return listed;
}

bool ProjectsTest::HotkeyHeld(char letter) {
    if (!RegisterHotKey(nullptr, 0xB000, MOD_CONTROL | MOD_WIN, static_cast<UINT>(letter))) return true;
    UnregisterHotKey(nullptr, 0xB000);
    return false;
}
