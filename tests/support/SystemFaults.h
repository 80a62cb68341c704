#pragma once

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <thread>

namespace kotar::test {

// Limits that make a file write or an allocation fail on purpose, for the whole process while
// the object lives. Not every system has them: Supported() tells, and a test without one
// skips.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t max_bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    static bool Supported();

private:
    std::uint64_t saved_ = 0;
    bool active_ = false;
};

class AddressSpaceLimit {
public:
    explicit AddressSpaceLimit(std::uint64_t max_bytes);
    ~AddressSpaceLimit();
    AddressSpaceLimit(const AddressSpaceLimit&) = delete;
    AddressSpaceLimit& operator=(const AddressSpaceLimit&) = delete;
    static bool Supported();

private:
    std::uint64_t saved_ = 0;
    bool active_ = false;
};

// Makes a special file (a named pipe) that no copy can take; false where the system has none.
bool MakeSpecialFile(const std::filesystem::path& path);

// Keeps a test from hanging for good on a pipe made by MakeSpecialFile: once the object has
// lived past a generous deadline, the pipe's other end is opened again and again, so that code
// waiting in open() on it goes on, and Fired() tells the test that it waited. The deadline only
// ends a hang; no verdict depends on how fast the code is.
class PipeWatchdog {
public:
    explicit PipeWatchdog(std::filesystem::path pipe);
    ~PipeWatchdog();
    PipeWatchdog(const PipeWatchdog&) = delete;
    PipeWatchdog& operator=(const PipeWatchdog&) = delete;
    // Ends the watch; true when the code under test had to be released from the pipe.
    bool Fired();

private:
    std::filesystem::path pipe_;
    std::mutex mutex_;
    std::condition_variable done_;
    bool stopped_ = false;
    bool fired_ = false;
    std::thread watcher_;
};

// A number that names the file itself (inode, file index): a file replaced by another has a
// new one.
std::uint64_t FileIdentity(const std::filesystem::path& path);

}  // namespace kotar::test
