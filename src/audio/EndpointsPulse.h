// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "audio/Endpoints.h"

namespace kotar {

// How often the sound server is probed, how long an answer may take, and the pauses before
// connecting again.
struct PulseTiming {
    std::chrono::milliseconds probe_interval{1000};
    std::chrono::milliseconds unanswered_limit{2000};
    std::chrono::milliseconds first_retry{250};
    std::chrono::milliseconds longest_retry{4000};
};

// The endpoints on libpulse: one connection to the sound server, on its own thread (a threaded
// main loop), keeps the state of the default source and sink. Server, source, sink and card
// events refresh it, and so does a probe every second; a server that leaves a question
// unanswered too long counts as absent until it answers again. A server that cannot be
// reached, or goes away, is tried again with a growing pause, so one started later is found.
class PulseEndpoints final : public CachedEndpoints {
public:
    // `server` as libpulse takes it ("unix:/path"); empty for the user's default server.
    explicit PulseEndpoints(std::string server = {}, PulseTiming timing = {});
    ~PulseEndpoints() override;
    PulseEndpoints(const PulseEndpoints&) = delete;
    PulseEndpoints& operator=(const PulseEndpoints&) = delete;

    // Sends the request and shows the new volume at once; the server's answer follows as an
    // update (a slider must not jump back while the server is busy).
    bool SetVolume(float volume) override;
    bool ConfirmAnswering(std::chrono::milliseconds limit) override;

private:
    class Connection;
    std::unique_ptr<Connection> connection_;
};

}  // namespace kotar
