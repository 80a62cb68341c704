// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kotar::test {

using Bytes = std::vector<std::uint8_t>;

// Bytes of a repeatable pattern; each seed gives another.
Bytes Pattern(std::size_t size, unsigned seed);
// A program file with a correct CRC and the given tag.
Bytes ProgramFileBytes(std::size_t size, const std::string& tag, unsigned seed);

// kotar-devsim as a process of its own, with its port reachable at link and its memory written
// to dump when it ends.
class SimulatorProcess {
public:
    SimulatorProcess(std::filesystem::path program, std::filesystem::path link,
                     std::filesystem::path dump);
    ~SimulatorProcess() { Stop(); }
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // Starts it with the further options; false when its port did not appear within seconds.
    bool Start(const std::vector<std::string>& options = {});
    void Stop();
    // What the device held at address when it ended (it is ended first); empty when the dump
    // is shorter.
    Bytes Memory(std::size_t address, std::size_t count);

private:
    std::filesystem::path program_;
    std::filesystem::path link_;
    std::filesystem::path dump_;
    pid_t pid_ = -1;
};

}  // namespace kotar::test
