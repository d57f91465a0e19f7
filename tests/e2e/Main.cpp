#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "E2eFixture.h"
#include "support/CrashExit.h"

namespace {

// A runner ended at its time limit leaves the program it started running, which would refuse every
// start of this run.
void EndProgramsLeftByAnEarlierRun() {
    for (HWND window : TopLevelWindows()) {
        char name[256] = "";
        GetClassNameA(window, name, sizeof name);
        if (WindowText(window) != kMainTitle || std::string(name) != kDialogClass) continue;
        DWORD id = 0;
        GetWindowThreadProcessId(window, &id);
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
            std::printf("Ending Quorvex process %lu left by an earlier run\n", id);
            TerminateProcess(process, 1);
            WaitForSingleObject(process, kStepTimeoutMs);
            CloseHandle(process);
        }
    }
}

// A Linux path as Wine's drive Z: shows it ("/work/x" -> "Z:\work\x"); Windows paths pass unchanged.
std::string WindowsPath(std::string path) {
    if (path.empty() || path[0] != '/') return path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return "Z:" + path;
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    SetUnhandledExceptionFilter(EndTestRunOnCrash);
    std::string dist, setup, portable;
    const std::pair<const char*, std::string*> options[] = {
        {"--dist=", &dist}, {"--setup=", &setup}, {"--portable=", &portable}};
    for (int i = 1; i < argc; ++i)
        for (const auto& [option, value] : options)
            if (std::strncmp(argv[i], option, std::strlen(option)) == 0) *value = argv[i] + std::strlen(option);
    Built() = {WindowsPath(dist), WindowsPath(setup), WindowsPath(portable)};
    EndProgramsLeftByAnEarlierRun();
    std::printf("Installation folder under test: %s\n", Built().dist.c_str());
    return RUN_ALL_TESTS();
}
