// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include "SoundServerSetup.h"

// Tests that play or record through the sound server's loopback: skipped on a machine without
// it, but a failure in CI, where scripts/run-tests.sh always provides it.
#define KOTAR_REQUIRE_SOUND_SERVER()                                                       \
    do {                                                                                   \
        if (!::kotar::test::LoopbackReady()) {                                             \
            if (::kotar::test::RunningInCi())                                              \
                FAIL() << "no sound server with the test loopback (scripts/run-tests.sh)"; \
            GTEST_SKIP() << "no sound server with the test loopback";                      \
        }                                                                                  \
    } while (false)
