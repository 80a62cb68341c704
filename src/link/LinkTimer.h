// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace kotar {

// The tick source of the device link: while it runs, a ticker thread decrements each of two
// countdowns that is above 0 once per tick (500 ms, or KOTAR_LINK_TICK_MS milliseconds). The
// link arms a countdown with a number of ticks and sees the timeout when it reads 0. If the
// ticker thread cannot be started, a wall-clock deadline of the same length stands in. The
// thread stays for the life of the process and only pauses between exchanges, so starting and
// stopping the ticks costs the link no time.
class LinkTimer {
public:
    enum Counter { kResponse = 0, kChar = 1 };

    static LinkTimer& Instance();

    // Starts the ticks (at the beginning of every exchange); a running ticker keeps running.
    void Start();
    // Stops the ticks (at the end of every exchange).
    void Stop();

    void Arm(Counter counter, int ticks);
    // True when the countdown has reached 0.
    bool Expired(Counter counter) const;
    int Remaining(Counter counter) const;
    // When a countdown may next change: the next tick, or with wall-clock deadlines the nearest
    // deadline ahead (far ahead when none). A wait that ends here sees a timeout as it happens.
    std::chrono::steady_clock::time_point NextChange() const;

    int tick_ms() const { return tick_ms_; }
    // True while wall-clock deadlines stand in for the ticker.
    bool wall_clock() const { return fallback_; }
    // For tests and diagnostics; takes effect at the next Start.
    void SetTickMs(int tick_ms);
    // For tests: behave as if the ticker thread could not be started (wall-clock deadlines).
    void ForceWallClock(bool on) { force_wall_clock_ = on; }

    ~LinkTimer();

private:
    LinkTimer();
    void Run();

    int tick_ms_;
    std::atomic<int> countdown_[2] = {0, 0};
    // Wall-clock fallback: the deadline of each countdown when no ticker runs.
    bool fallback_ = false;
    bool force_wall_clock_ = false;
    std::chrono::steady_clock::time_point deadline_[2];

    // The ticker's schedule: the steady-clock count of the next tick.
    std::atomic<std::chrono::steady_clock::rep> next_tick_{0};

    std::mutex mutex_;
    std::condition_variable wake_;
    bool running_ = false;  // ticks are counted
    unsigned starts_ = 0;   // every Start begins a new schedule
    std::chrono::milliseconds period_{0};
    bool quit_ = false;
    std::thread ticker_;
};

}  // namespace kotar
