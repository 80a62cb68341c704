// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "audio/Endpoints.h"

namespace kotar {

// What a capture endpoint's form factor (EndpointFormFactor of the MMDevice API) says of it:
// a line-level input is a line port; anything else counts as a microphone.
SourceFacts CaptureFacts(std::uint32_t form_factor);

// The endpoints on the MMDevice API: a thread of their own asks for the default capture and
// render endpoints (console role), the capture endpoint's form factor and volume, at once when
// the system reports a device change and otherwise every second.
class MmDeviceEndpoints final : public CachedEndpoints {
public:
    MmDeviceEndpoints();
    ~MmDeviceEndpoints() override;
    MmDeviceEndpoints(const MmDeviceEndpoints&) = delete;
    MmDeviceEndpoints& operator=(const MmDeviceEndpoints&) = delete;

    // Sets the capture endpoint's volume and shows it at once; false when there is none.
    bool SetVolume(float volume) override;
    bool ConfirmAnswering(std::chrono::milliseconds limit) override;

    // Asks the thread for a state queried after this call (also from the system's notification
    // thread); returns the number of the request.
    std::uint64_t Refresh();

private:
    void Run();

    std::mutex wake_mutex_;
    std::condition_variable wake_;
    std::uint64_t requested_ = 0;  // refresh requests made
    std::uint64_t served_ = 0;     // requests that a published query began after
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace kotar
