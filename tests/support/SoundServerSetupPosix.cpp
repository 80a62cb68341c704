// SPDX-License-Identifier: GPL-3.0-or-later
#include <chrono>
#include <string>

#include "SoundServerSetup.h"
#include "audio/Endpoints.h"

namespace kotar::test {

bool LoopbackReady() {
    using std::chrono::seconds;
    CachedEndpoints& endpoints = SystemEndpoints();
    endpoints.WaitFor([](const EndpointState& s) { return s.updates > 0; }, seconds(10));
    const bool answering = endpoints.State().answering;
    return endpoints.WaitFor(
        [](const EndpointState& s) {
            return s.RealInput() == std::string(kLoopbackSource) &&
                   s.Output() == std::string(kLoopbackSink);
        },
        seconds(answering ? 5 : 0));
}

}  // namespace kotar::test
