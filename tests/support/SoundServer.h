#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "audio/Endpoints.h"

namespace kotar::test {

inline bool RunningInCi() {
    const char* ci = std::getenv("CI");
    return ci != nullptr && std::string(ci) == "true";
}

}  // namespace kotar::test

// Tests that play or record through the sound server: skipped on a machine without one, but
// a failure in CI, where scripts/run-tests.sh always provides one.
#define KOTAR_REQUIRE_SOUND_SERVER()                                                   \
    do {                                                                               \
        if (!::kotar::DefaultSinkName()) {                                             \
            if (::kotar::test::RunningInCi())                                          \
                FAIL() << "no sound server answers (scripts/run-tests.sh starts one)"; \
            GTEST_SKIP() << "no sound server answers";                                 \
        }                                                                              \
    } while (false)
