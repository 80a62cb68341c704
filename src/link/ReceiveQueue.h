// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace kotar {

// The received bytes that a serial port backend has taken from the system and the link has not
// read yet, as the driver's own input buffer would hold them, and whether the link has been
// told of them (by QueuedCount) since.
class ReceiveQueue {
public:
    static constexpr std::size_t kCapacity = 4096;

    void Clear() {
        begin_ = end_ = 0;
        unreported_ = false;
    }
    std::size_t size() const { return end_ - begin_; }
    bool empty() const { return begin_ == end_; }

    // The free space at the end, once what is left has moved to the front if that gives room;
    // the caller fills its start and then calls Added.
    std::span<std::uint8_t> Room() {
        if (empty()) {
            begin_ = end_ = 0;
        } else if (end_ == kCapacity && begin_ > 0) {
            std::memmove(bytes_.data(), bytes_.data() + begin_, size());
            end_ -= begin_;
            begin_ = 0;
        }
        return {bytes_.data() + end_, kCapacity - end_};
    }
    void Added(std::size_t count) { end_ += std::min(count, kCapacity - end_); }

    // Copies up to buffer.size() bytes out of the queue; the count copied.
    std::size_t Take(std::span<std::uint8_t> buffer) {
        const std::size_t n = std::min(buffer.size(), size());
        std::memcpy(buffer.data(), bytes_.data() + begin_, n);
        begin_ += n;
        return n;
    }

    // A read of the link: what is queued, or when nothing is, what drain() then moves in from
    // the system, which QueuedCount has not reported.
    template <class Drain>
    std::size_t Read(std::span<std::uint8_t> buffer, Drain drain) {
        if (empty()) {
            drain();
            NoteUnreported();
        }
        return Take(buffer);
    }

    // What QueuedCount reports; the link has been told of everything queued.
    int Report() {
        unreported_ = false;
        return static_cast<int>(size());
    }
    // Bytes were taken from the system that QueuedCount has not reported.
    void NoteUnreported() { unreported_ = !empty(); }
    bool HasUnreported() const { return unreported_ && !empty(); }

private:
    std::array<std::uint8_t, kCapacity> bytes_{};
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool unreported_ = false;
};

}  // namespace kotar
