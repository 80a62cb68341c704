// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/LinkTimer.h"

#include <algorithm>
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
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    if (ticker_.joinable())
        ticker_.join();
}

void LinkTimer::SetTickMs(int tick_ms) {
    tick_ms_ = tick_ms > 0 ? tick_ms : kDefaultTickMs;
}

void LinkTimer::Start() {
    std::unique_lock lock(mutex_);
    if (running_)
        return;
    if (force_wall_clock_) {
        fallback_ = true;
        return;
    }
    period_ = std::chrono::milliseconds(tick_ms_);
    next_tick_.store((std::chrono::steady_clock::now() + period_).time_since_epoch().count());
    ++starts_;
    running_ = true;
    fallback_ = false;
    if (ticker_.joinable()) {
        lock.unlock();
        wake_.notify_all();
        return;
    }
    try {
        ticker_ = std::thread(&LinkTimer::Run, this);
    } catch (const std::system_error&) {
        running_ = false;
        fallback_ = true;
    }
}

void LinkTimer::Stop() {
    // The ticker notices at its next wake-up and then waits for the next Start.
    std::lock_guard lock(mutex_);
    running_ = false;
}

void LinkTimer::Run() {
    using Clock = std::chrono::steady_clock;
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return quit_ || running_; });
        if (quit_)
            return;
        const unsigned start = starts_;
        auto next = Clock::time_point(Clock::duration(next_tick_.load()));
        while (
            !wake_.wait_until(lock, next, [&] { return quit_ || !running_ || starts_ != start; })) {
            // Ticks keep a fixed schedule: a late wake-up does not shift the later ones.
            next += period_;
            next_tick_.store(next.time_since_epoch().count());
            for (std::atomic<int>& c : countdown_) {
                int value = c.load();
                while (value > 0 && !c.compare_exchange_weak(value, value - 1)) {
                }
            }
        }
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

std::chrono::steady_clock::time_point LinkTimer::NextChange() const {
    using Clock = std::chrono::steady_clock;
    if (!fallback_)
        return Clock::time_point(Clock::duration(next_tick_.load()));
    const auto now = Clock::now();
    auto nearest = Clock::time_point::max();
    for (const auto& deadline : deadline_) {
        if (deadline > now)
            nearest = std::min(nearest, deadline);
    }
    return nearest;
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
