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
    HWND window = nullptr;
    for (int ended = 0; ended < 5 && (window = FindWindowA(kDialogClass, kMainTitle)) != nullptr; ++ended) {
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

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    SetUnhandledExceptionFilter(EndTestRunOnCrash);
    const std::pair<const char*, std::string*> options[] = {
        {"--dist=", &Built().dist}, {"--setup=", &Built().setup}, {"--portable=", &Built().portable}};
    for (int i = 1; i < argc; ++i)
        for (const auto& [option, value] : options)
            if (std::strncmp(argv[i], option, std::strlen(option)) == 0) *value = argv[i] + std::strlen(option);
    EndProgramsLeftByAnEarlierRun();
    std::printf("Installation folder under test: %s\n", Built().dist.c_str());
    return RUN_ALL_TESTS();
}
