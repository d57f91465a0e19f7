#include "TestFolder.h"

#include "base/Log.h"
#include "base/ProgramFolder.h"

namespace {
int g_folderCounter = 0;
}

TestFolder::TestFolder() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    m_path = std::string(temp) + "quorvex-test-" + std::to_string(GetCurrentProcessId()) + "-" +
             std::to_string(++g_folderCounter);
    RemoveTree(m_path);
    CreateDirectoryA(m_path.c_str(), nullptr);
    for (const char* sub : {"RECENT", "FAVORITE", "EXPORT"}) CreateDirectoryA(File(sub).c_str(), nullptr);
    SetProgramFolderForTests(m_path.c_str());
}

TestFolder::~TestFolder() {
    SetProgramFolderForTests(L"");
    CloseLog();  // the open log would keep the folder from being removed
    RemoveTree(m_path);
}
