#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

// A crash ends the run at once, naming the test it happened in, with a failing exit code: left to
// the system it would wait on a crash dialog, and under Wine the run may even end with status 0.
inline LONG WINAPI EndTestRunOnCrash(EXCEPTION_POINTERS* crash) {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::fprintf(stderr, "\nCrashed with exception 0x%08lx in %s.%s\n", crash->ExceptionRecord->ExceptionCode,
                 test ? test->test_suite_name() : "(between tests)", test ? test->name() : "");
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_CONTINUE_SEARCH;
}
