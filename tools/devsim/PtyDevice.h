// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "DeviceModel.h"

namespace kotar::devsim {

// Puts a DeviceModel behind a pseudo-terminal whose slave is reachable through a symlink, so
// that the program opens it like a serial port. With pacing, each byte in either direction
// takes the time it takes on the real line (38400 baud, 11 bits a byte).
class PtyDevice {
public:
    struct Options {
        std::filesystem::path link;  // symlink to the slave, replaced when present
        bool paced = false;
        int baud = 38400;
        int bits_per_byte = 11;
    };

    PtyDevice(DeviceModel& model, Options options);
    ~PtyDevice();
    PtyDevice(const PtyDevice&) = delete;
    PtyDevice& operator=(const PtyDevice&) = delete;

    // Creates the pseudo-terminal and the symlink; false with a reason in *error.
    bool Open(std::string* error);
    // Answers requests until stop becomes true. When the model vanishes, the pseudo-terminal and
    // its symlink go away as a pulled adapter's device does: the program's side hangs up.
    void Run(const std::atomic<bool>& stop);

    const std::string& slave_path() const { return slave_path_; }
    // One line on the turnarounds: count, median, 10 % and 90 % points, maximum and sum. A
    // turnaround, for each request that followed a complete answer, is the time from handing the
    // answer's last byte to the pseudo-terminal to reading the request's first byte from it: the
    // program's share of the exchange plus the terminal's own latency both ways. Read it after
    // Run has returned.
    std::string TurnaroundSummary() const;
    // When the device vanished (a Vanishes fault); read it after Run has returned.
    std::chrono::steady_clock::time_point vanished_at() const { return vanished_at_; }

private:
    void Vanish();

    DeviceModel& model_;
    Options options_;
    int master_fd_ = -1;
    int slave_fd_ = -1;
    int closes_fd_ = -1;  // inotify: the slave was closed by a program
    std::string slave_path_;
    bool linked_ = false;
    std::vector<std::chrono::nanoseconds> turnarounds_;
    std::chrono::steady_clock::time_point vanished_at_{};
};

}  // namespace kotar::devsim
