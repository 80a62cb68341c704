// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/WaveDevice.h"

namespace kotar::test {

// A wave device for tests: streams that capture what the test feeds them and play as far as
// the test says, with notifications held until the test delivers them (as a UI thread would).
class FakeWaveDevice : public WaveDevice {
public:
    struct Stream {
        bool input = true;
        WaveFormat format;
        std::deque<WaveHeader*> queue;  // buffers not yet returned
        std::uint32_t position_bytes = 0;
        bool started = false;
        bool paused = false;
        bool closed = false;
        bool alive = true;  // false once dropped without Close
        std::vector<std::string> calls;
        WaveListener* listener = nullptr;
    };

    FakeWaveDevice();
    ~FakeWaveDevice() override;

    std::unique_ptr<WaveStream> OpenInput(const WaveFormat& format,
                                          WaveListener& listener) override;
    std::unique_ptr<WaveStream> OpenOutput(const WaveFormat& format,
                                           WaveListener& listener) override;

    // Failure switches.
    bool fail_open_input = false;
    bool fail_open_output = false;
    bool fail_add_buffer = false;

    // The capture stream (last opened) takes these bytes into its queued buffers; a filled
    // buffer is returned. Only while started.
    void Capture(const std::vector<std::uint8_t>& bytes);
    void CaptureSilence(std::uint32_t bytes) { Capture(std::vector<std::uint8_t>(bytes, 0)); }
    // The render stream (last opened) plays this many more bytes; at the end of its buffer
    // the buffer is returned.
    void PlayOut(std::uint32_t bytes);

    // Delivers the pending notifications in order (also those posted while delivering).
    // Returns how many were delivered.
    int Deliver();
    std::size_t pending() const { return pending_.size(); }

    // Names of the notifications delivered, in order: "in-open", "in-data", "in-close",
    // "out-open", "out-done", "out-close".
    const std::vector<std::string>& delivered() const { return delivered_; }
    void ClearDelivered() { delivered_.clear(); }

    std::shared_ptr<Stream> input() const { return input_; }
    std::shared_ptr<Stream> output() const { return output_; }
    int inputs_opened() const { return inputs_opened_; }
    int outputs_opened() const { return outputs_opened_; }

    // Posts a notification for a stream's listener (used by the streams).
    void Post(const std::shared_ptr<Stream>& stream, WaveListener& listener, std::string name,
              std::function<void(WaveListener&)> call);

private:
    std::unique_ptr<WaveStream> Open(bool input, const WaveFormat& format, WaveListener& listener);

    struct Pending {
        std::shared_ptr<Stream> stream;
        std::weak_ptr<int> owner;
        WaveListener* listener;
        std::string name;
        std::function<void(WaveListener&)> call;
    };
    std::deque<Pending> pending_;
    std::vector<std::string> delivered_;
    std::shared_ptr<Stream> input_;
    std::shared_ptr<Stream> output_;
    int inputs_opened_ = 0;
    int outputs_opened_ = 0;
};

}  // namespace kotar::test
