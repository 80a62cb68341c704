// SPDX-License-Identifier: GPL-3.0-or-later
#include "SimulatorProcess.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "TempDir.h"
#include "link/Frame.h"
#include "ops/ProgramFile.h"

namespace kotar::test {

namespace fs = std::filesystem;

Bytes Pattern(std::size_t size, unsigned seed) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>((i * 2654435761u + seed) >> 11);
    }
    return bytes;
}

Bytes ProgramFileBytes(std::size_t size, const std::string& tag, unsigned seed) {
    Bytes file = Pattern(size, seed);
    std::fill(file.end() - 48, file.end(), 0);
    std::memcpy(file.data() + size - 48, tag.data(), tag.size());
    std::memcpy(file.data() + size - 32, "2026/12/07", 10);
    std::memcpy(file.data() + size - 16, "1.02", 4);
    PutLe16(file.data() + size - 2, Crc16Mcrf4xx({file.data(), size - 2}));
    return file;
}

SimulatorProcess::SimulatorProcess(fs::path program, fs::path link, fs::path dump)
    : program_(std::move(program)), link_(std::move(link)), dump_(std::move(dump)) {}

bool SimulatorProcess::Start(const std::vector<std::string>& options) {
    Stop();
    // A link left by a simulator that died is not taken for this one's.
    std::error_code ec;
    if (fs::is_symlink(link_, ec))
        fs::remove(link_, ec);
    std::vector<std::string> args{program_.string(), "--link", link_.string(), "--memory-dump",
                                  dump_.string()};
    args.insert(args.end(), options.begin(), options.end());
    pid_ = ::fork();
    if (pid_ < 0)
        return false;
    if (pid_ == 0) {
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!fs::exists(link_) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return fs::exists(link_);
}

void SimulatorProcess::Stop() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
}

Bytes SimulatorProcess::Memory(std::size_t address, std::size_t count) {
    Stop();
    const Bytes memory = ReadBytes(dump_);
    if (memory.size() < address + count)
        return {};
    return Bytes(memory.begin() + static_cast<std::ptrdiff_t>(address),
                 memory.begin() + static_cast<std::ptrdiff_t>(address + count));
}

}  // namespace kotar::test
