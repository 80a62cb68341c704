// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

namespace kotar::test {

// Keeps a test from hanging for good on a pipe (MakeSpecialFile, POSIX only): once the object
// has lived past a generous deadline, the pipe's ends are opened again and again, so that code
// waiting in open() on it goes on, and Fired() tells the test that it waited. The deadline only
// ends a hang; no verdict depends on how fast the code is.
class PipeWatchdog {
public:
    explicit PipeWatchdog(std::filesystem::path pipe)
        : watcher_([this, pipe = std::move(pipe)] {
              std::unique_lock lock(mutex_);
              if (done_.wait_for(lock, std::chrono::seconds(30), [this] { return stopped_; }))
                  return;
              fired_ = true;
              while (!done_.wait_for(lock, std::chrono::milliseconds(50),
                                     [this] { return stopped_; })) {
                  for (const int flags : {O_WRONLY | O_NONBLOCK, O_RDONLY | O_NONBLOCK})
                      if (const int fd = ::open(pipe.c_str(), flags); fd >= 0)
                          ::close(fd);
              }
          }) {}
    ~PipeWatchdog() { Fired(); }
    PipeWatchdog(const PipeWatchdog&) = delete;
    PipeWatchdog& operator=(const PipeWatchdog&) = delete;

    // Ends the watch; true when the code under test had to be released from the pipe.
    bool Fired() {
        {
            const std::lock_guard lock(mutex_);
            stopped_ = true;
        }
        done_.notify_all();
        if (watcher_.joinable())
            watcher_.join();
        return fired_;
    }

private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool stopped_ = false;
    bool fired_ = false;
    std::thread watcher_;  // last: it starts once the rest is made
};

}  // namespace kotar::test
