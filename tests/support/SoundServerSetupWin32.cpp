// SPDX-License-Identifier: GPL-3.0-or-later
#include <chrono>
#include <cstdlib>
#include <string>

#include "SoundServerSetup.h"
#include "audio/Endpoints.h"

namespace kotar::test {

bool LoopbackReady() {
    const char* told = std::getenv("KOTAR_TEST_SOUND_DEVICES");
    if (told == nullptr || std::string(told) != "null")
        return false;
    return SystemEndpoints().WaitFor(
        [](const EndpointState& s) { return s.RealInput() && s.Output(); },
        std::chrono::seconds(10));
}

}  // namespace kotar::test
