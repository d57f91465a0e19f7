#include "support/CrashExit.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    SetUnhandledExceptionFilter(EndTestRunOnCrash);
    return RUN_ALL_TESTS();
}
