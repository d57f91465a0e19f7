#include "TestFolder.h"

#include "base/Log.h"
#include "base/ProgramFolder.h"

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
