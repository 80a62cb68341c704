#include "audio/Endpoints.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>

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

namespace {

// How long one question to the server may take before it counts as unanswered.
constexpr auto kServerTimeout = std::chrono::milliseconds(2000);

// A connection to the sound server on a private main loop, run until each answer arrives.
class PulseConnection {
public:
    PulseConnection() {
        loop_ = pa_mainloop_new();
        if (loop_ == nullptr)
            return;
        context_ = pa_context_new(pa_mainloop_get_api(loop_), "kotar");
        if (context_ == nullptr)
            return;
        if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            return;
        ready_ = !broken_ && RunUntil([this] {
            const pa_context_state_t state = pa_context_get_state(context_);
            return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
        }) && pa_context_get_state(context_) == PA_CONTEXT_READY;
    }
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;
    ~PulseConnection() {
        if (context_ != nullptr) {
            pa_context_disconnect(context_);
            pa_context_unref(context_);
        }
        if (loop_ != nullptr)
            pa_mainloop_free(loop_);
    }

    bool ready() const { return ready_; }
    pa_context* context() const { return context_; }

    // Runs the loop until the operation is done; false on a timeout or a lost connection.
    bool Wait(pa_operation* operation) {
        if (operation == nullptr)
            return false;
        if (broken_) {
            pa_operation_cancel(operation);
            pa_operation_unref(operation);
            return false;
        }
        const bool done = RunUntil([&] {
            return pa_operation_get_state(operation) != PA_OPERATION_RUNNING ||
                   !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_));
        });
        const bool ok = done && pa_operation_get_state(operation) == PA_OPERATION_DONE;
        if (!ok)
            pa_operation_cancel(operation);
        pa_operation_unref(operation);
        return ok;
    }

private:
    bool RunUntil(const std::function<bool()>& finished) {
        const auto deadline = std::chrono::steady_clock::now() + kServerTimeout;
        while (!finished()) {
            const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return false;
            if (pa_mainloop_prepare(loop_, static_cast<int>(left.count())) < 0 ||
                pa_mainloop_poll(loop_) < 0 || pa_mainloop_dispatch(loop_) < 0) {
                // The loop may be left between its steps: it must not be run again.
                broken_ = true;
                return false;
            }
        }
        return true;
    }

    pa_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    bool ready_ = false;
    bool broken_ = false;
};

struct ServerNames {
    std::string source;
    std::string sink;
};

std::optional<ServerNames> AskServerNames(PulseConnection& pulse) {
    ServerNames names;
    auto on_info = [](pa_context*, const pa_server_info* info, void* user) {
        auto* out = static_cast<ServerNames*>(user);
        if (info == nullptr)
            return;
        out->source = info->default_source_name != nullptr ? info->default_source_name : "";
        out->sink = info->default_sink_name != nullptr ? info->default_sink_name : "";
    };
    if (!pulse.ready() || !pulse.Wait(pa_context_get_server_info(pulse.context(), on_info, &names)))
        return std::nullopt;
    return names;
}

struct SourceAnswer {
    SourceFacts facts;
    pa_cvolume volume{};
};

std::optional<SourceAnswer> AskSource(PulseConnection& pulse, const std::string& name) {
    SourceAnswer answer;
    auto on_source = [](pa_context*, const pa_source_info* info, int eol, void* user) {
        if (eol != 0 || info == nullptr)
            return;
        auto* out = static_cast<SourceAnswer*>(user);
        out->facts.exists = true;
        out->facts.is_monitor = info->monitor_of_sink != PA_INVALID_INDEX;
        if (info->active_port != nullptr) {
            out->facts.has_active_port = true;
            out->facts.port_unplugged = info->active_port->available == PA_PORT_AVAILABLE_NO;
            out->facts.port_is_line = info->active_port->type == PA_DEVICE_PORT_TYPE_LINE;
        }
        out->volume = info->volume;
    };
    if (!pulse.Wait(
            pa_context_get_source_info_by_name(pulse.context(), name.c_str(), on_source, &answer)))
        return std::nullopt;
    if (!answer.facts.exists)
        return std::nullopt;
    return answer;
}

bool SinkExists(PulseConnection& pulse, const std::string& name) {
    bool exists = false;
    auto on_sink = [](pa_context*, const pa_sink_info* info, int eol, void* user) {
        if (eol == 0 && info != nullptr)
            *static_cast<bool*>(user) = true;
    };
    return pulse.Wait(
               pa_context_get_sink_info_by_name(pulse.context(), name.c_str(), on_sink, &exists)) &&
           exists;
}

// The default source when it is a real input (not an output's monitor).
std::optional<SourceAnswer> DefaultInput(PulseConnection& pulse, std::string* name_out) {
    const auto names = AskServerNames(pulse);
    if (!names || names->source.empty())
        return std::nullopt;
    auto source = AskSource(pulse, names->source);
    if (!source || source->facts.is_monitor)
        return std::nullopt;
    if (name_out != nullptr)
        *name_out = names->source;
    return source;
}

}  // namespace

std::optional<std::string> DefaultSourceName() {
    PulseConnection pulse;
    const auto names = AskServerNames(pulse);
    if (!names || names->source.empty())
        return std::nullopt;
    return names->source;
}

std::optional<std::string> DefaultSinkName() {
    PulseConnection pulse;
    const auto names = AskServerNames(pulse);
    if (!names || names->sink.empty())
        return std::nullopt;
    return names->sink;
}

std::optional<std::string> GetInputEndpoint() {
    PulseConnection pulse;
    std::string name;
    if (!DefaultInput(pulse, &name))
        return std::nullopt;
    return name;
}

bool HasOutputDevice() {
    PulseConnection pulse;
    const auto names = AskServerNames(pulse);
    return names && !names->sink.empty() && SinkExists(pulse, names->sink);
}

std::optional<std::string> GetInputVolumeControl() {
    return GetInputEndpoint();
}

bool GetInputJackType(EndpointGuid& guid) {
    PulseConnection pulse;
    const auto source = DefaultInput(pulse, nullptr);
    if (!source)
        return false;
    const auto jack = JackTypeOf(source->facts);
    if (!jack)
        return false;
    guid = *jack;
    return true;
}

bool GetInputVolume(float& volume) {
    PulseConnection pulse;
    const auto source = DefaultInput(pulse, nullptr);
    if (!source || !pa_cvolume_valid(&source->volume))
        return false;
    const double fraction =
        static_cast<double>(pa_cvolume_avg(&source->volume)) / static_cast<double>(PA_VOLUME_NORM);
    volume = static_cast<float>(std::clamp(fraction, 0.0, 1.0));
    return true;
}

bool SetInputVolume(float volume) {
    PulseConnection pulse;
    std::string name;
    const auto source = DefaultInput(pulse, &name);
    if (!source)
        return false;
    const double fraction = std::clamp(static_cast<double>(volume), 0.0, 1.0);
    pa_cvolume levels = source->volume;
    const auto level = static_cast<pa_volume_t>(std::lround(fraction * PA_VOLUME_NORM));
    pa_cvolume_set(&levels, std::max<unsigned>(levels.channels, 1), level);
    bool success = false;
    auto on_done = [](pa_context*, int ok, void* user) { *static_cast<bool*>(user) = ok != 0; };
    return pulse.Wait(pa_context_set_source_volume_by_name(pulse.context(), name.c_str(), &levels,
                                                           on_done, &success)) &&
           success;
}

AudioEndpoints& SystemEndpoints() {
    static AudioEndpoints endpoints;
    return endpoints;
}

}  // namespace kotar
