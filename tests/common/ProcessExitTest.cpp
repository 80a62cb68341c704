// SPDX-License-Identifier: GPL-3.0-or-later
// The exit that skips the libraries' teardown still hands over what the program wrote, and in a
// build with the leak checker still reports leaks.
#include "common/ProcessExit.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace kotar {
namespace {

void WriteTeardown() {
    std::fputs("teardown", stderr);
}

TEST(ProcessExitDeathTest, EndsWithTheCodeAndTheBufferedOutputButNoTeardown) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            static char buffer[256];
            std::setvbuf(stderr, buffer, _IOFBF, sizeof buffer);
            std::atexit(WriteTeardown);
            std::fputs("buffered", stderr);
            ExitWithoutLibraryTeardown(7);
        },
        ::testing::ExitedWithCode(7), "^buffered$");
}

// Reachable from nowhere once the function returns.
void* volatile g_leaked = nullptr;
[[gnu::noinline]] void Leak() {
    g_leaked = std::malloc(4096);
    g_leaked = nullptr;
}

TEST(ProcessExitDeathTest, ALeakIsReportedInALeakCheckingBuild) {
#ifndef KOTAR_LEAK_CHECK_AT_EXIT
    GTEST_SKIP() << "not a build with the leak checker";
#endif
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            Leak();
            ExitWithoutLibraryTeardown(0);
        },
        [](int status) { return !::testing::ExitedWithCode(0)(status); }, "LeakSanitizer");
}

}  // namespace
}  // namespace kotar
