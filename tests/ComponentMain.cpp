#include <ole2.h>

#include "support/CrashExit.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    SetUnhandledExceptionFilter(EndTestRunOnCrash);
    OleInitialize(nullptr);  // the OLE clipboard needs OLE on the test thread, as the program has it on its UI thread
    const int result = RUN_ALL_TESTS();
    OleUninitialize();
    return result;
}
