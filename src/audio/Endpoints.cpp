// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/Endpoints.h"

namespace kotar {

const EndpointGuid kLineConnectorGuid = {0xE3, 0x1F, 0xF2, 0xDF, 0x0F, 0xF7, 0xD0, 0x11,
                                         0xB9, 0x17, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96};
const EndpointGuid kMicrophoneGuid = {0xE1, 0x1B, 0xF2, 0xDF, 0x0F, 0xF7, 0xD0, 0x11,
                                      0xB9, 0x17, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96};

std::optional<EndpointGuid> JackTypeOf(const SourceFacts& facts) {
    if (!facts.exists || facts.is_monitor)
        return std::nullopt;
    if (facts.has_active_port && facts.port_unplugged)
        return std::nullopt;
    if (facts.has_active_port && facts.port_is_line)
        return kLineConnectorGuid;
    return kMicrophoneGuid;
}

std::optional<std::string> EndpointState::RealInput() const {
    if (!answering || input_id.empty() || !input.exists || input.is_monitor)
        return std::nullopt;
    return input_id;
}

std::optional<std::string> EndpointState::Output() const {
    if (!answering || output_id.empty() || !output_exists)
        return std::nullopt;
    return output_id;
}

bool CachedEndpoints::InputJackType(EndpointGuid& guid) {
    const EndpointState state = State();
    if (!state.RealInput())
        return false;
    const auto jack = JackTypeOf(state.input);
    if (!jack)
        return false;
    guid = *jack;
    return true;
}

bool CachedEndpoints::OutputDeviceExists() {
    return State().Output().has_value();
}

bool CachedEndpoints::InputVolume(float& volume) {
    const EndpointState state = State();
    if (!state.RealInput() || !state.input_volume)
        return false;
    volume = *state.input_volume;
    return true;
}

EndpointState CachedEndpoints::State() const {
    std::lock_guard lock(mutex_);
    return state_;
}

bool CachedEndpoints::WaitFor(const std::function<bool(const EndpointState&)>& condition,
                              std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return condition(state_); });
}

bool CachedEndpoints::ConfirmAnswering(std::chrono::milliseconds) {
    return State().answering;
}

void CachedEndpoints::Publish(EndpointState state) {
    {
        std::lock_guard lock(mutex_);
        state.updates = state_.updates + 1;
        state_ = std::move(state);
    }
    changed_.notify_all();
}

std::optional<std::string> DefaultSourceName() {
    const EndpointState state = SystemEndpoints().State();
    if (!state.answering || state.input_id.empty())
        return std::nullopt;
    return state.input_id;
}

std::optional<std::string> DefaultSinkName() {
    const EndpointState state = SystemEndpoints().State();
    if (!state.answering || state.output_id.empty())
        return std::nullopt;
    return state.output_id;
}

std::optional<std::string> GetInputEndpoint() {
    return SystemEndpoints().State().RealInput();
}

bool HasOutputDevice() {
    return SystemEndpoints().OutputDeviceExists();
}

std::optional<std::string> GetInputVolumeControl() {
    return GetInputEndpoint();
}

bool GetInputJackType(EndpointGuid& guid) {
    return SystemEndpoints().InputJackType(guid);
}

bool GetInputVolume(float& volume) {
    return SystemEndpoints().InputVolume(volume);
}

bool SetInputVolume(float volume) {
    return SystemEndpoints().SetVolume(volume);
}

}  // namespace kotar
