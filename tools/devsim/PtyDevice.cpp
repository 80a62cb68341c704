// SPDX-License-Identifier: GPL-3.0-or-later
#include "PtyDevice.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <system_error>
#include <utility>
#include <vector>

namespace kotar::devsim {
namespace {

using Clock = std::chrono::steady_clock;

void MakeRaw(int fd) {
    termios t{};
    if (::tcgetattr(fd, &t) != 0)
        return;
    ::cfmakeraw(&t);
    ::cfsetispeed(&t, B38400);
    ::cfsetospeed(&t, B38400);
    ::tcsetattr(fd, TCSANOW, &t);
}

// A pseudo-terminal drops PARENB, so a program that asks again for the settings an earlier one
// left asks for no change, which the system refuses and Wine's SetCommState reports as a
// failure. Clearing NOFLSH, which Wine's request sets and nothing on this line depends on (no
// signals are generated), makes every later request change something; it may land at any
// moment, also while the next program already talks.
void ClearNoFlush(int fd) {
    termios t{};
    if (::tcgetattr(fd, &t) != 0 || (t.c_lflag & NOFLSH) == 0)
        return;
    t.c_lflag &= ~static_cast<tcflag_t>(NOFLSH);
    ::tcsetattr(fd, TCSANOW, &t);
}

}  // namespace

PtyDevice::PtyDevice(DeviceModel& model, Options options)
    : model_(model), options_(std::move(options)) {}

PtyDevice::~PtyDevice() {
    Vanish();
}

void PtyDevice::Vanish() {
    if (linked_) {
        std::error_code ec;
        std::filesystem::remove(options_.link, ec);
        linked_ = false;
    }
    if (closes_fd_ >= 0)
        ::close(closes_fd_);
    if (slave_fd_ >= 0)
        ::close(slave_fd_);
    if (master_fd_ >= 0)
        ::close(master_fd_);
    closes_fd_ = slave_fd_ = master_fd_ = -1;
}

std::string PtyDevice::TurnaroundSummary() const {
    if (turnarounds_.empty())
        return "turnaround: no exchanges";
    std::vector<std::chrono::nanoseconds> times = turnarounds_;
    std::sort(times.begin(), times.end());
    const auto ms = [](std::chrono::nanoseconds d) {
        return std::chrono::duration<double, std::milli>(d).count();
    };
    const auto at = [&](double q) {
        return ms(times[static_cast<std::size_t>(q * static_cast<double>(times.size() - 1))]);
    };
    std::chrono::nanoseconds sum{};
    for (const auto t : times)
        sum += t;
    char line[200];
    std::snprintf(line, sizeof line,
                  "turnaround over %zu exchanges: median %.3f ms (10%% %.3f, 90%% %.3f, max "
                  "%.3f), sum %.3f s",
                  times.size(), at(0.5), at(0.1), at(0.9), ms(times.back()), ms(sum) / 1000);
    return line;
}

bool PtyDevice::Open(std::string* error) {
    master_fd_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_fd_ < 0 || ::grantpt(master_fd_) != 0 || ::unlockpt(master_fd_) != 0) {
        *error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    const char* name = ::ptsname(master_fd_);
    if (name == nullptr) {
        *error = "cannot name the pseudo-terminal";
        return false;
    }
    slave_path_ = name;
    // Holding the slave open keeps the master readable while the program closes and reopens
    // its side between transfers.
    slave_fd_ = ::open(slave_path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_fd_ < 0) {
        *error = "cannot open " + slave_path_ + ": " + std::strerror(errno);
        return false;
    }
    MakeRaw(slave_fd_);
    MakeRaw(master_fd_);
    // Every close of the slave by a program is noticed, for ClearNoFlush (a program that ended
    // without putting the settings back).
    closes_fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (closes_fd_ < 0 || ::inotify_add_watch(closes_fd_, slave_path_.c_str(),
                                              IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        *error = "cannot watch " + slave_path_ + ": " + std::strerror(errno);
        return false;
    }
    ::fcntl(master_fd_, F_SETFL, ::fcntl(master_fd_, F_GETFL) | O_NONBLOCK);
    std::error_code ec;
    if (std::filesystem::is_symlink(options_.link, ec))
        std::filesystem::remove(options_.link, ec);
    std::filesystem::create_symlink(slave_path_, options_.link, ec);
    if (ec) {
        *error = "cannot create " + options_.link.string() + ": " + ec.message();
        return false;
    }
    linked_ = true;
    return true;
}

void PtyDevice::Run(const std::atomic<bool>& stop) {
    const auto byte_time =
        options_.paced
            ? std::chrono::nanoseconds(1'000'000'000LL * options_.bits_per_byte / options_.baud)
            : std::chrono::nanoseconds(0);
    // Each byte carries the moment it has fully crossed the line.
    std::deque<std::pair<Clock::time_point, std::uint8_t>> inbox;
    std::deque<std::pair<Clock::time_point, std::uint8_t>> outbox;
    Clock::time_point in_free{};
    Clock::time_point out_free{};
    std::vector<std::uint8_t> chunk;
    std::uint8_t buffer[4096];
    // When the last answer was fully handed over, while no request byte has come since.
    constexpr Clock::time_point kNoAnswer = Clock::time_point::min();
    Clock::time_point answered = kNoAnswer;

    while (!stop.load()) {
        auto now = Clock::now();
        while (!inbox.empty() && inbox.front().first <= now) {
            const auto [arrived, byte] = inbox.front();
            inbox.pop_front();
            for (std::uint8_t b : model_.ReceiveByte(byte)) {
                // The answer starts when the request's last byte has arrived.
                out_free = std::max(out_free, arrived) + byte_time;
                outbox.emplace_back(out_free, b);
            }
        }
        if (model_.vanished() && master_fd_ >= 0) {
            vanished_at_ = Clock::now();
            Vanish();
        }
        if (master_fd_ < 0) {
            // Nothing is left to serve; wait to be stopped.
            ::usleep(10000);
            continue;
        }
        chunk.clear();
        for (const auto& [due, b] : outbox) {
            if (due > now)
                break;
            chunk.push_back(b);
        }
        if (!chunk.empty()) {
            const ssize_t n = ::write(master_fd_, chunk.data(), chunk.size());
            if (n > 0)
                outbox.erase(outbox.begin(), outbox.begin() + n);
            if (outbox.empty() && inbox.empty())
                answered = Clock::now();
        }

        auto wake = now + std::chrono::milliseconds(50);
        if (!inbox.empty())
            wake = std::min(wake, inbox.front().first);
        if (!outbox.empty())
            wake = std::min(wake, outbox.front().first);
        if (!chunk.empty() && !outbox.empty() && outbox.front().first <= now) {
            wake = now + std::chrono::milliseconds(1);  // the slave's queue was full
        }
        const auto wait = std::max(wake - Clock::now(), Clock::duration::zero());
        timespec timeout{};
        timeout.tv_sec =
            static_cast<time_t>(std::chrono::duration_cast<std::chrono::seconds>(wait).count());
        timeout.tv_nsec = static_cast<long>((wait - std::chrono::seconds(timeout.tv_sec)).count());
        pollfd fds[2] = {{master_fd_, POLLIN, 0}, {closes_fd_, POLLIN, 0}};
        pollfd& p = fds[0];
        const int ready = ::ppoll(fds, 2, &timeout, nullptr);
        if (ready > 0 && (fds[1].revents & POLLIN) != 0) {
            char events[4096];
            while (::read(closes_fd_, events, sizeof events) > 0) {
            }
            ClearNoFlush(slave_fd_);
        }
        if (ready > 0 && (p.revents & POLLIN) != 0) {
            const ssize_t n = ::read(master_fd_, buffer, sizeof buffer);
            const auto read_at = Clock::now();
            if (n > 0 && answered != kNoAnswer) {
                turnarounds_.push_back(read_at - answered);
                answered = kNoAnswer;
            }
            for (ssize_t i = 0; i < n; ++i) {
                in_free = std::max(in_free, read_at) + byte_time;
                inbox.emplace_back(in_free, buffer[i]);
            }
        } else if (ready > 0 && p.revents != 0) {
            // Hang-up without a reader cannot happen while the slave is held; do not spin.
            ::usleep(1000);
        }
    }
}

}  // namespace kotar::devsim
