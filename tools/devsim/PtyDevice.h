#pragma once

#include <atomic>
#include <filesystem>
#include <string>

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
    // Answers requests until stop becomes true.
    void Run(const std::atomic<bool>& stop);

    const std::string& slave_path() const { return slave_path_; }

private:
    DeviceModel& model_;
    Options options_;
    int master_fd_ = -1;
    int slave_fd_ = -1;
    int closes_fd_ = -1;  // inotify: the slave was closed by a program
    std::string slave_path_;
    bool linked_ = false;
};

}  // namespace kotar::devsim
