// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "link/SerialPort.h"

namespace kotar::test {

// The state of a scripted serial line, shared between a test and the port objects that a
// SerialCom makes: bytes to feed, every write recorded, line errors to inject, and a responder
// that answers each write (scripted answers first, then respond, else silence). Nothing arrives
// on its own, so a wait for the line that finds nothing new lasts its whole timeout.
struct FakeLine {
    bool open_fails = false;
    // An open that fails does so because the user may not open the device.
    bool open_denied = false;
    bool is_open = false;
    std::string opened_path;
    int opens = 0;
    int purges = 0;
    std::deque<std::uint8_t> rx;
    std::vector<std::vector<std::uint8_t>> writes;
    // Answers for the next writes, one per write, in order (an empty answer is silence).
    std::deque<std::vector<std::uint8_t>> script;
    std::function<std::vector<std::uint8_t>(std::span<const std::uint8_t>)> respond;
    // The next QueuedCount calls report a parity or framing error (-1).
    int line_errors = 0;
    // When above 0, each QueuedCount releases at most this many more bytes to the reader, so a
    // response trickles in.
    std::size_t bytes_per_poll = 0;
    std::size_t released = 0;
    int queued_calls = 0;
    // A parity or framing error is reported once when the reader has taken exactly this many
    // bytes of the current response.
    std::vector<std::size_t> line_error_at_consumed;
    std::size_t consumed = 0;
    // The device has vanished: writes fail and every wait answers Gone; what was received
    // before stays readable.
    bool gone = false;
    // The timeout of every WaitReadable call, in order.
    std::vector<int> waits;
    // Bytes the last QueuedCount reported that have not been read since.
    std::size_t reported = 0;

    void Feed(std::span<const std::uint8_t> bytes) {
        rx.insert(rx.end(), bytes.begin(), bytes.end());
    }
};

class FakeSerialPort : public SerialPort {
public:
    explicit FakeSerialPort(std::shared_ptr<FakeLine> line) : line_(std::move(line)) {}

    bool Open(const std::string& device_path) override {
        ++line_->opens;
        line_->opened_path = device_path;
        line_->is_open = !line_->open_fails;
        return line_->is_open;
    }
    void Close() override { line_->is_open = false; }
    bool IsOpen() const override { return line_->is_open; }
    bool OpenWasDenied() const override { return line_->open_fails && line_->open_denied; }
    bool Purge() override {
        ++line_->purges;
        line_->rx.clear();
        line_->released = 0;
        line_->reported = 0;
        line_->consumed = 0;
        return line_->is_open;
    }
    bool Write(std::span<const std::uint8_t> bytes) override {
        if (!line_->is_open || line_->gone)
            return false;
        line_->writes.emplace_back(bytes.begin(), bytes.end());
        if (!line_->script.empty()) {
            std::vector<std::uint8_t> answer = std::move(line_->script.front());
            line_->script.pop_front();
            line_->Feed(answer);
        } else if (line_->respond) {
            line_->Feed(line_->respond(bytes));
        }
        return true;
    }
    int QueuedCount() override {
        if (!line_->is_open)
            return 0;
        ++line_->queued_calls;
        if (line_->line_errors > 0) {
            --line_->line_errors;
            return -1;
        }
        auto& at = line_->line_error_at_consumed;
        if (auto it = std::find(at.begin(), at.end(), line_->consumed); it != at.end()) {
            at.erase(it);
            return -1;
        }
        if (line_->bytes_per_poll == 0) {
            line_->reported = line_->rx.size();
        } else {
            line_->released = std::min(line_->rx.size(), line_->released + line_->bytes_per_poll);
            line_->reported = line_->released;
        }
        return static_cast<int>(line_->reported);
    }
    std::size_t Read(std::span<std::uint8_t> buffer) override {
        if (!line_->is_open)
            return 0;
        const std::size_t available =
            line_->bytes_per_poll == 0 ? line_->rx.size() : line_->released;
        const std::size_t n = std::min(buffer.size(), available);
        for (std::size_t i = 0; i < n; ++i) {
            buffer[i] = line_->rx.front();
            line_->rx.pop_front();
        }
        if (line_->bytes_per_poll != 0)
            line_->released -= n;
        line_->reported -= std::min(n, line_->reported);
        line_->consumed += n;
        return n;
    }
    WaitResult WaitReadable(int timeout_ms) override {
        line_->waits.push_back(timeout_ms);
        if (!line_->is_open || line_->gone)
            return WaitResult::Gone;
        const auto& at = line_->line_error_at_consumed;
        if (line_->line_errors > 0 || line_->rx.size() > line_->reported ||
            std::find(at.begin(), at.end(), line_->consumed) != at.end()) {
            return WaitResult::Readable;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(timeout_ms));
        return WaitResult::Timeout;
    }

private:
    std::shared_ptr<FakeLine> line_;
};

}  // namespace kotar::test
