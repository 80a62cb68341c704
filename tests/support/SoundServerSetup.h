// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdlib>
#include <string>

namespace kotar::test {

// The loopback that scripts/run-tests.sh sets up: a null sink and, as the default input, a
// source that records that sink, so what the tests play comes back as input.
inline constexpr const char* kLoopbackSink = "kotar_null";
inline constexpr const char* kLoopbackSource = "kotar_mic";

// The system's default endpoints are that loopback (a desktop's own server with a real
// microphone and speakers does not do for these tests). Waits for the first answer of the
// sound system, or the failure to reach it. Under Wine the loopback is reached through Wine's
// audio driver, whose endpoints have names of their own: scripts/test-windows.sh tells that the
// default devices are the loopback with KOTAR_TEST_SOUND_DEVICES=null.
bool LoopbackReady();

inline bool RunningInCi() {
    const char* ci = std::getenv("CI");
    return ci != nullptr && std::string(ci) == "true";
}

}  // namespace kotar::test
