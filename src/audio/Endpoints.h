// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace kotar {

// The default capture and render endpoints of the sound system, their connector type and the
// capture volume. Failures are reported as false or nothing, never shown.

// A 16-byte connector type identifier in its stored byte order.
using EndpointGuid = std::array<std::uint8_t, 16>;
// {DFF21FE3-F70F-11D0-B917-00A0C9223196}: the input is a line connector.
extern const EndpointGuid kLineConnectorGuid;
// {DFF21BE1-F70F-11D0-B917-00A0C9223196}: the input is a microphone.
extern const EndpointGuid kMicrophoneGuid;

// What the sound system says about the default capture source.
struct SourceFacts {
    bool exists = false;
    bool is_monitor = false;  // the monitor of an output, not a real input
    bool has_active_port = false;
    bool port_unplugged = false;
    bool port_is_line = false;
};

// The connector of a capture source: line for a line port, microphone for anything else (a
// source without ports too); nothing when there is no source, it is a monitor, or its active
// port is unplugged.
std::optional<EndpointGuid> JackTypeOf(const SourceFacts& facts);

// What is known of the default endpoints at one moment. Nothing is known while the sound
// system cannot be reached or does not answer.
struct EndpointState {
    bool answering = false;             // the sound system answers
    std::string input_id;               // the default capture endpoint; empty when there is none
    SourceFacts input;                  // its facts
    std::optional<float> input_volume;  // its volume, 0.0 to 1.0
    std::string output_id;              // the default render endpoint; empty when there is none
    bool output_exists = false;
    std::uint64_t updates = 0;  // how often the state has been set, for waiting on a change

    // The default capture endpoint when it is a real input (not an output's monitor).
    std::optional<std::string> RealInput() const;
    // The default render endpoint when it exists.
    std::optional<std::string> Output() const;
};

// The endpoint questions the dialogs ask, behind an interface so that dialog tests can plug
// and unplug devices. None of them waits for the sound system.
class AudioEndpoints {
public:
    virtual ~AudioEndpoints() = default;
    virtual bool InputJackType(EndpointGuid& guid) = 0;
    virtual bool OutputDeviceExists() = 0;
    // Volume as a fraction of the normal (100 %) volume, 0.0 to 1.0.
    virtual bool InputVolume(float& volume) = 0;
    // Asks for a new capture volume; false when there is no capture endpoint to ask for.
    virtual bool SetVolume(float volume) = 0;
};

// Endpoints answered from a state that a platform backend keeps up to date on its own thread:
// a question only reads the state, so a sound system that hangs never holds up the caller.
class CachedEndpoints : public AudioEndpoints {
public:
    bool InputJackType(EndpointGuid& guid) override;
    bool OutputDeviceExists() override;
    bool InputVolume(float& volume) override;

    EndpointState State() const;
    // Waits until the state satisfies `condition` (checked at once and after each update);
    // false when `limit` passes first. For start-up code and tests, never the UI thread.
    bool WaitFor(const std::function<bool(const EndpointState&)>& condition,
                 std::chrono::milliseconds limit) const;
    // Asks the sound system for a fresh answer and waits at most `limit` for it; true when it
    // answered. For the moment before a call into a library that would wait far longer on a
    // system that has just stopped answering. A backend that cannot ask trusts its state.
    virtual bool ConfirmAnswering(std::chrono::milliseconds limit);

protected:
    // Replaces the state (its update count runs on) and wakes the waiters.
    void Publish(EndpointState state);

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    EndpointState state_;
};

// The endpoints of the sound system: one object for the program, started at its first use
// and kept up to date in the background (the platform backend defines it).
CachedEndpoints& SystemEndpoints();

// The same questions as free functions on the system's endpoints.
// The ids of the default source and sink; nothing when none is known.
std::optional<std::string> DefaultSourceName();
std::optional<std::string> DefaultSinkName();
// The default capture endpoint (its id) when it is a real input, or nothing.
std::optional<std::string> GetInputEndpoint();
// A default render endpoint exists.
bool HasOutputDevice();
// The endpoint whose volume is controlled (the default capture endpoint), or nothing.
std::optional<std::string> GetInputVolumeControl();
bool GetInputJackType(EndpointGuid& guid);
bool GetInputVolume(float& volume);
bool SetInputVolume(float volume);

}  // namespace kotar
