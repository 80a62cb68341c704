#include "link/LinkTimer.h"

#include <cstdlib>
#include <system_error>

namespace kotar {
namespace {

constexpr int kDefaultTickMs = 500;

int TickFromEnvironment() {
    const char* text = std::getenv("KOTAR_LINK_TICK_MS");
    if (text == nullptr || *text == '\0')
        return kDefaultTickMs;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < 1 || value > 60000)
        return kDefaultTickMs;
    return static_cast<int>(value);
}

}  // namespace

LinkTimer& LinkTimer::Instance() {
    static LinkTimer timer;
    return timer;
}

LinkTimer::LinkTimer() : tick_ms_(TickFromEnvironment()) {}

LinkTimer::~LinkTimer() {
    Stop();
}

void LinkTimer::SetTickMs(int tick_ms) {
    tick_ms_ = tick_ms > 0 ? tick_ms : kDefaultTickMs;
}

void LinkTimer::Start() {
    if (ticker_.joinable())
        return;
    if (force_wall_clock_) {
        fallback_ = true;
        return;
    }
    {
        std::lock_guard lock(mutex_);
        stop_requested_ = false;
    }
    try {
        ticker_ = std::thread(&LinkTimer::Run, this);
        fallback_ = false;
    } catch (const std::system_error&) {
        fallback_ = true;
    }
}

void LinkTimer::Stop() {
    if (!ticker_.joinable())
        return;
    {
        std::lock_guard lock(mutex_);
        stop_requested_ = true;
    }
    wake_.notify_all();
    ticker_.join();
}

void LinkTimer::Run() {
    const auto period = std::chrono::milliseconds(tick_ms_);
    auto next = std::chrono::steady_clock::now() + period;
    std::unique_lock lock(mutex_);
    while (!wake_.wait_until(lock, next, [this] { return stop_requested_; })) {
        // Ticks keep a fixed schedule: a late wake-up does not shift the later ones.
        next += period;
        for (std::atomic<int>& c : countdown_) {
            int value = c.load();
            while (value > 0 && !c.compare_exchange_weak(value, value - 1)) {
            }
        }
        ++ticks_elapsed_;
    }
}

void LinkTimer::Arm(Counter counter, int ticks) {
    countdown_[counter].store(ticks);
    if (fallback_) {
        deadline_[counter] =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(tick_ms_) * ticks;
    }
}

bool LinkTimer::Expired(Counter counter) const {
    return Remaining(counter) == 0;
}

int LinkTimer::Remaining(Counter counter) const {
    if (fallback_) {
        const auto left = deadline_[counter] - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero())
            return 0;
        return static_cast<int>(left / std::chrono::milliseconds(tick_ms_)) + 1;
    }
    return countdown_[counter].load();
}

}  // namespace kotar
