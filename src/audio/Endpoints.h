#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace kotar {

// The default capture and render endpoints of the sound server, their connector type and the
// capture volume. Every call connects, asks and disconnects; failures are reported as false
// or nothing, never shown.

// A 16-byte connector type identifier in its stored byte order.
using EndpointGuid = std::array<std::uint8_t, 16>;
// {DFF21FE3-F70F-11D0-B917-00A0C9223196}: the input is a line connector.
extern const EndpointGuid kLineConnectorGuid;
// {DFF21BE1-F70F-11D0-B917-00A0C9223196}: the input is a microphone.
extern const EndpointGuid kMicrophoneGuid;

// What the sound server says about the default capture source.
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

// The names of the default source and sink; nothing when the server cannot be reached or
// names none.
std::optional<std::string> DefaultSourceName();
std::optional<std::string> DefaultSinkName();

// The default capture endpoint (its source name), or nothing.
std::optional<std::string> GetInputEndpoint();
// A default render endpoint exists.
bool HasOutputDevice();
// The endpoint whose volume is controlled (the default capture source), or nothing.
std::optional<std::string> GetInputVolumeControl();
bool GetInputJackType(EndpointGuid& guid);
// Volume as a fraction of the server's normal (100 %) volume, 0.0 to 1.0.
bool GetInputVolume(float& volume);
bool SetInputVolume(float volume);

// The endpoint questions the dialogs ask, behind an interface so that dialog tests can plug
// and unplug devices; the system one asks the sound server.
class AudioEndpoints {
public:
    virtual ~AudioEndpoints() = default;
    virtual bool InputJackType(EndpointGuid& guid) { return GetInputJackType(guid); }
    virtual bool OutputDeviceExists() { return HasOutputDevice(); }
    virtual bool InputVolume(float& volume) { return GetInputVolume(volume); }
    virtual bool SetVolume(float volume) { return SetInputVolume(volume); }
};

// The endpoints of the sound server.
AudioEndpoints& SystemEndpoints();

}  // namespace kotar
