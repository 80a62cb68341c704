// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeWaveDevice.h"

#include <algorithm>
#include <cstring>

namespace kotar::test {

namespace {

class FakeStreamHandle : public WaveStream {
public:
    FakeStreamHandle(FakeWaveDevice& device, std::shared_ptr<FakeWaveDevice::Stream> stream,
                     WaveListener& listener)
        : device_(device), stream_(std::move(stream)), listener_(listener) {}

    ~FakeStreamHandle() override {
        if (!stream_->closed)
            stream_->alive = false;
    }

    bool AddBuffer(WaveHeader& header) override {
        stream_->calls.push_back("add");
        if (device_.fail_add_buffer || stream_->closed)
            return false;
        header.done = false;
        header.bytes_recorded = 0;
        stream_->queue.push_back(&header);
        if (!stream_->input) {
            stream_->position_bytes = 0;
            stream_->started = true;
            stream_->paused = false;
            if (header.buffer_length == 0)
                device_.PlayOut(0);  // nothing to play: returned at once
        }
        return true;
    }
    void Start() override {
        stream_->calls.push_back("start");
        stream_->started = true;
    }
    std::uint32_t Position() const override { return stream_->position_bytes; }
    void Pause() override {
        stream_->calls.push_back("pause");
        stream_->paused = true;
    }
    void Reset() override {
        stream_->calls.push_back("reset");
        stream_->started = stream_->input ? false : stream_->started;
        while (!stream_->queue.empty()) {
            WaveHeader* header = stream_->queue.front();
            stream_->queue.pop_front();
            header->done = true;
            const bool input = stream_->input;
            device_.Post(stream_, listener_, input ? "in-data" : "out-done",
                         [header, input](WaveListener& l) {
                             input ? l.OnInputData(*header) : l.OnOutputDone(*header);
                         });
        }
    }
    void Close() override {
        stream_->calls.push_back("close");
        stream_->closed = true;
        stream_->queue.clear();
        const bool input = stream_->input;
        device_.Post(stream_, listener_, input ? "in-close" : "out-close",
                     [input](WaveListener& l) { input ? l.OnInputClose() : l.OnOutputClose(); });
    }

private:
    FakeWaveDevice& device_;
    std::shared_ptr<FakeWaveDevice::Stream> stream_;
    WaveListener& listener_;
};

}  // namespace

FakeWaveDevice::FakeWaveDevice() = default;
FakeWaveDevice::~FakeWaveDevice() = default;

std::unique_ptr<WaveStream> FakeWaveDevice::OpenInput(const WaveFormat& format,
                                                      WaveListener& listener) {
    if (fail_open_input)
        return nullptr;
    return Open(true, format, listener);
}

std::unique_ptr<WaveStream> FakeWaveDevice::OpenOutput(const WaveFormat& format,
                                                       WaveListener& listener) {
    if (fail_open_output)
        return nullptr;
    return Open(false, format, listener);
}

std::unique_ptr<WaveStream> FakeWaveDevice::Open(bool input, const WaveFormat& format,
                                                 WaveListener& listener) {
    auto stream = std::make_shared<Stream>();
    stream->input = input;
    stream->format = format;
    stream->listener = &listener;
    (input ? input_ : output_) = stream;
    ++(input ? inputs_opened_ : outputs_opened_);
    Post(stream, listener, input ? "in-open" : "out-open",
         [input](WaveListener& l) { input ? l.OnInputOpen() : l.OnOutputOpen(); });
    return std::make_unique<FakeStreamHandle>(*this, stream, listener);
}

void FakeWaveDevice::Post(const std::shared_ptr<Stream>& stream, WaveListener& listener,
                          std::string name, std::function<void(WaveListener&)> call) {
    pending_.push_back(
        Pending{stream, listener.LifeToken(), &listener, std::move(name), std::move(call)});
}

int FakeWaveDevice::Deliver() {
    int count = 0;
    while (!pending_.empty()) {
        Pending next = std::move(pending_.front());
        pending_.pop_front();
        const auto& stream = next.stream;
        if (next.owner.expired() || (stream != nullptr && !stream->alive))
            continue;
        delivered_.push_back(next.name);
        next.call(*next.listener);
        ++count;
    }
    return count;
}

void FakeWaveDevice::Capture(const std::vector<std::uint8_t>& bytes) {
    if (input_ == nullptr || !input_->started || input_->closed)
        return;
    std::size_t used = 0;
    while (used < bytes.size() && !input_->queue.empty()) {
        WaveHeader* header = input_->queue.front();
        const std::size_t room = header->buffer_length - header->bytes_recorded;
        const std::size_t take = std::min(room, bytes.size() - used);
        std::memcpy(header->data + header->bytes_recorded, bytes.data() + used, take);
        header->bytes_recorded += static_cast<std::uint32_t>(take);
        input_->position_bytes += static_cast<std::uint32_t>(take);
        used += take;
        if (header->bytes_recorded == header->buffer_length) {
            input_->queue.pop_front();
            header->done = true;
            Post(input_, *input_->listener, "in-data",
                 [header](WaveListener& l) { l.OnInputData(*header); });
        }
    }
}

void FakeWaveDevice::PlayOut(std::uint32_t bytes) {
    if (output_ == nullptr || output_->closed || output_->paused || output_->queue.empty())
        return;
    WaveHeader* header = output_->queue.front();
    output_->position_bytes = std::min(output_->position_bytes + bytes, header->buffer_length);
    if (output_->position_bytes == header->buffer_length) {
        output_->queue.pop_front();
        header->done = true;
        Post(output_, *output_->listener, "out-done",
             [header](WaveListener& l) { l.OnOutputDone(*header); });
    }
}

}  // namespace kotar::test
