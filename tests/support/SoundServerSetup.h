#pragma once

#include <chrono>
#include <cstdlib>
#include <string>

#include "audio/Endpoints.h"

namespace kotar::test {

// The loopback that scripts/run-tests.sh sets up: a null sink and, as the default input, a
// source that records that sink, so what the tests play comes back as input.
inline constexpr const char* kLoopbackSink = "kotar_null";
inline constexpr const char* kLoopbackSource = "kotar_mic";

// The sound server answers with the loopback as its default devices (a desktop's own server
// with a real microphone and speakers does not do for these tests). Waits for the first answer
// of the server, or the failure to reach it.
inline bool LoopbackReady() {
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

inline bool RunningInCi() {
    const char* ci = std::getenv("CI");
    return ci != nullptr && std::string(ci) == "true";
}

}  // namespace kotar::test
