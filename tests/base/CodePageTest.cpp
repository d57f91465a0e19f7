#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

// Wine takes the ANSI code page from the Unix locale and quietly falls back to 1252 where that
// locale is missing. A run made for a code page names it, so such a fall-back fails here.
TEST(CodePage, IsTheOneTheRunWasStartedFor) {
    const char* wanted = std::getenv("QUORVEX_CODE_PAGE");
    if (!wanted) GTEST_SKIP() << "this run names no code page";
    EXPECT_EQ(GetACP(), std::stoul(wanted)) << "is the locale generated? (scripts/install-deps.sh)";
}
