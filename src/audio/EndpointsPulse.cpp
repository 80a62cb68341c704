// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/EndpointsPulse.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cmath>

namespace kotar {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kEvents =
    static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SERVER | PA_SUBSCRIPTION_MASK_SOURCE |
                                        PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_CARD);

float VolumeFraction(pa_volume_t level) {
    const double fraction = static_cast<double>(level) / static_cast<double>(PA_VOLUME_NORM);
    return static_cast<float>(std::clamp(fraction, 0.0, 1.0));
}

}  // namespace

// Everything below runs on the main loop's thread, or on another thread holding the loop's
// lock; the owner's state is the only thing other threads read, under its own mutex.
class PulseEndpoints::Connection {
public:
    Connection(PulseEndpoints& owner, std::string server, PulseTiming timing)
        : owner_(owner),
          server_(std::move(server)),
          timing_(timing),
          retry_delay_(timing.first_retry) {
        loop_ = pa_threaded_mainloop_new();
        if (loop_ == nullptr)
            return;
        api_ = pa_threaded_mainloop_get_api(loop_);
        pa_threaded_mainloop_set_name(loop_, "kotar-sound");
        pa_threaded_mainloop_lock(loop_);
        Connect();
        pa_threaded_mainloop_unlock(loop_);
        if (pa_threaded_mainloop_start(loop_) < 0) {
            Disconnect();
            pa_threaded_mainloop_free(loop_);
            loop_ = nullptr;
        }
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    ~Connection() {
        if (loop_ == nullptr)
            return;
        pa_threaded_mainloop_lock(loop_);
        Disconnect();
        for (pa_time_event* timer : {retry_timer_, probe_timer_}) {
            if (timer != nullptr)
                api_->time_free(timer);
        }
        pa_threaded_mainloop_unlock(loop_);
        pa_threaded_mainloop_stop(loop_);
        pa_threaded_mainloop_free(loop_);
    }

    bool SetVolume(float volume) {
        if (loop_ == nullptr)
            return false;
        pa_threaded_mainloop_lock(loop_);
        bool sent = false;
        const auto input = current_.RealInput();
        if (Ready() && input && pa_cvolume_valid(&source_volume_)) {
            const double fraction = std::clamp(static_cast<double>(volume), 0.0, 1.0);
            const auto level = static_cast<pa_volume_t>(std::lround(fraction * PA_VOLUME_NORM));
            pa_cvolume levels = source_volume_;
            pa_cvolume_set(&levels, levels.channels, level);
            if (pa_operation* op = pa_context_set_source_volume_by_name(
                    context_, input->c_str(), &levels, &Connection::OnVolumeSet, this)) {
                pa_operation_unref(op);
                ++volume_requests_;
                source_volume_ = levels;
                current_.input_volume = VolumeFraction(level);
                owner_.Publish(current_);
                sent = true;
            }
        }
        pa_threaded_mainloop_unlock(loop_);
        return sent;
    }

    // Starts a refresh (or lets the one under way stand for it); false when not connected.
    bool RequestRefresh() {
        if (loop_ == nullptr)
            return false;
        pa_threaded_mainloop_lock(loop_);
        const bool ready = Ready();
        Refresh();
        pa_threaded_mainloop_unlock(loop_);
        return ready;
    }

private:
    bool Ready() const {
        return context_ != nullptr && pa_context_get_state(context_) == PA_CONTEXT_READY;
    }

    void Connect() {
        context_ = pa_context_new(api_, "kotar");
        if (context_ == nullptr) {
            ScheduleRetry();
            return;
        }
        pa_context_set_state_callback(context_, &Connection::OnStateChange, this);
        pa_context_set_subscribe_callback(context_, &Connection::OnEvent, this);
        if (pa_context_connect(context_, server_.empty() ? nullptr : server_.c_str(),
                               PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
            Forget();
            ScheduleRetry();
        }
    }

    void Disconnect() {
        if (context_ != nullptr) {
            pa_context_set_state_callback(context_, nullptr, nullptr);
            pa_context_set_subscribe_callback(context_, nullptr, nullptr);
            pa_context_disconnect(context_);
            pa_context_unref(context_);
            context_ = nullptr;
        }
        refreshing_ = false;
        refresh_again_ = false;
        answers_left_ = 0;
        volume_requests_ = 0;
    }

    // Nothing is known while the server cannot be reached or does not answer.
    void Forget() {
        current_ = EndpointState{};
        owner_.Publish(current_);
    }

    void ScheduleRetry() {
        if (retry_pending_)
            return;
        retry_pending_ = true;
        Arm(retry_timer_, retry_delay_, &Connection::OnRetryTimer);
        retry_delay_ = std::min(retry_delay_ * 2, timing_.longest_retry);
    }

    void Arm(pa_time_event*& timer, std::chrono::milliseconds after, pa_time_event_cb_t callback) {
        timeval when{};
        pa_gettimeofday(&when);
        pa_timeval_add(&when, static_cast<pa_usec_t>(after.count()) * PA_USEC_PER_MSEC);
        if (timer != nullptr)
            api_->time_restart(timer, &when);
        else
            timer = api_->time_new(api_, &when, callback, this);
    }

    // Asks for the default names, then for the source and the sink they name; the state is
    // published when every answer is in. A refresh asked for meanwhile follows it.
    void Refresh() {
        if (!Ready())
            return;
        if (refreshing_) {
            refresh_again_ = true;
            return;
        }
        pa_operation* op = pa_context_get_server_info(context_, &Connection::OnServerInfo, this);
        if (op == nullptr)
            return;
        pa_operation_unref(op);
        refreshing_ = true;
        refresh_started_ = Clock::now();
        next_ = EndpointState{};
        next_.answering = true;
        next_volume_ = pa_cvolume{};
    }

    void Finish() {
        refreshing_ = false;
        // A volume the user asked for stands until the server has taken every request.
        if (volume_requests_ > 0) {
            next_.input_volume = current_.input_volume;
        } else if (next_.input.exists) {
            source_volume_ = next_volume_;
        }
        current_ = next_;
        owner_.Publish(current_);
        if (refresh_again_) {
            refresh_again_ = false;
            Refresh();
        }
    }

    void Ask(pa_operation* op) {
        if (op != nullptr) {
            pa_operation_unref(op);
            ++answers_left_;
        }
    }

    void Answered() {
        if (--answers_left_ == 0)
            Finish();
    }

    static void OnStateChange(pa_context* context, void* user) {
        auto* self = static_cast<Connection*>(user);
        if (context != self->context_)
            return;
        switch (pa_context_get_state(context)) {
            case PA_CONTEXT_READY:
                self->retry_delay_ = self->timing_.first_retry;
                if (pa_operation* op = pa_context_subscribe(context, kEvents, nullptr, nullptr))
                    pa_operation_unref(op);
                self->Refresh();
                self->Arm(self->probe_timer_, self->timing_.probe_interval,
                          &Connection::OnProbeTimer);
                break;
            case PA_CONTEXT_FAILED:
            case PA_CONTEXT_TERMINATED:
                self->Forget();
                self->ScheduleRetry();
                break;
            default:
                break;
        }
    }

    static void OnEvent(pa_context* context, pa_subscription_event_type_t, uint32_t, void* user) {
        auto* self = static_cast<Connection*>(user);
        if (context == self->context_)
            self->Refresh();
    }

    static void OnServerInfo(pa_context* context, const pa_server_info* info, void* user) {
        auto* self = static_cast<Connection*>(user);
        if (context != self->context_ || !self->refreshing_)
            return;
        if (info == nullptr) {  // no answer in libpulse's own time
            self->next_ = EndpointState{};
            self->Finish();
            return;
        }
        EndpointState& next = self->next_;
        next.input_id = info->default_source_name != nullptr ? info->default_source_name : "";
        next.output_id = info->default_sink_name != nullptr ? info->default_sink_name : "";
        self->answers_left_ = 0;
        if (!next.input_id.empty()) {
            self->Ask(pa_context_get_source_info_by_name(context, next.input_id.c_str(),
                                                         &Connection::OnSourceInfo, self));
        }
        if (!next.output_id.empty()) {
            self->Ask(pa_context_get_sink_info_by_name(context, next.output_id.c_str(),
                                                       &Connection::OnSinkInfo, self));
        }
        if (self->answers_left_ == 0)
            self->Finish();
    }

    static void OnSourceInfo(pa_context* context, const pa_source_info* info, int eol, void* user) {
        auto* self = static_cast<Connection*>(user);
        if (context != self->context_ || !self->refreshing_)
            return;
        if (eol == 0 && info != nullptr) {
            SourceFacts& facts = self->next_.input;
            facts.exists = true;
            facts.is_monitor = info->monitor_of_sink != PA_INVALID_INDEX;
            if (info->active_port != nullptr) {
                facts.has_active_port = true;
                facts.port_unplugged = info->active_port->available == PA_PORT_AVAILABLE_NO;
                facts.port_is_line = info->active_port->type == PA_DEVICE_PORT_TYPE_LINE;
            }
            if (pa_cvolume_valid(&info->volume)) {
                self->next_volume_ = info->volume;
                self->next_.input_volume = VolumeFraction(pa_cvolume_avg(&info->volume));
            }
            return;
        }
        self->Answered();  // the end of the list, or no such source
    }

    static void OnSinkInfo(pa_context* context, const pa_sink_info* info, int eol, void* user) {
        auto* self = static_cast<Connection*>(user);
        if (context != self->context_ || !self->refreshing_)
            return;
        if (eol == 0 && info != nullptr) {
            self->next_.output_exists = true;
            return;
        }
        self->Answered();
    }

    static void OnVolumeSet(pa_context* context, int, void* user) {
        auto* self = static_cast<Connection*>(user);
        if (context != self->context_ || self->volume_requests_ == 0)
            return;
        if (--self->volume_requests_ == 0)
            self->Refresh();  // show what the server made of it
    }

    static void OnRetryTimer(pa_mainloop_api*, pa_time_event*, const timeval*, void* user) {
        auto* self = static_cast<Connection*>(user);
        self->retry_pending_ = false;
        self->Disconnect();
        self->Connect();
    }

    static void OnProbeTimer(pa_mainloop_api*, pa_time_event*, const timeval*, void* user) {
        auto* self = static_cast<Connection*>(user);
        if (!self->Ready())
            return;  // the next connection starts its own probe
        self->Arm(self->probe_timer_, self->timing_.probe_interval, &Connection::OnProbeTimer);
        if (!self->refreshing_) {
            self->Refresh();
        } else if (self->current_.answering &&
                   Clock::now() - self->refresh_started_ >= self->timing_.unanswered_limit) {
            self->Forget();  // until the server answers again
        }
    }

    PulseEndpoints& owner_;
    const std::string server_;
    const PulseTiming timing_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_mainloop_api* api_ = nullptr;
    pa_context* context_ = nullptr;
    pa_time_event* retry_timer_ = nullptr;
    pa_time_event* probe_timer_ = nullptr;
    bool retry_pending_ = false;
    std::chrono::milliseconds retry_delay_;

    // The refresh under way and what it has found so far.
    bool refreshing_ = false;
    bool refresh_again_ = false;
    Clock::time_point refresh_started_;
    int answers_left_ = 0;
    EndpointState next_;
    pa_cvolume next_volume_{};

    // What was published last, the source's volume per channel, and the volume requests the
    // server has not yet confirmed.
    EndpointState current_;
    pa_cvolume source_volume_{};
    int volume_requests_ = 0;
};

PulseEndpoints::PulseEndpoints(std::string server, PulseTiming timing)
    : connection_(std::make_unique<Connection>(*this, std::move(server), timing)) {}

PulseEndpoints::~PulseEndpoints() = default;

bool PulseEndpoints::SetVolume(float volume) {
    return connection_->SetVolume(volume);
}

bool PulseEndpoints::ConfirmAnswering(std::chrono::milliseconds limit) {
    const std::uint64_t before = State().updates;
    if (!State().answering || !connection_->RequestRefresh())
        return false;
    return WaitFor([before](const EndpointState& s) { return s.updates > before; }, limit) &&
           State().answering;
}

CachedEndpoints& SystemEndpoints() {
    static PulseEndpoints endpoints;
    return endpoints;
}

}  // namespace kotar
