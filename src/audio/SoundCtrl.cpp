// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/SoundCtrl.h"

#include <algorithm>
#include <cstring>

#include "common/StderrPrompter.h"

namespace kotar {

void CSoundCtrl::DeleteRange(std::uint32_t start, std::uint32_t end) {
    if (data_ == nullptr)
        return;
    start &= ~1u;
    end &= ~1u;
    const std::uint32_t length = std::min(length_, capacity_);
    end = std::min(end, length);
    // A reversed or out-of-range start deletes nothing rather than running past the sound.
    start = std::min(start, end);
    const std::uint32_t removed = end - start;
    std::memmove(data_ + start, data_ + end, length - end);
    const std::uint32_t remaining = length - removed;
    std::memset(data_ + remaining, SilenceByte(), capacity_ - remaining);
    length_ = std::min(RoundUpToBlock(format_.channels, format_.samples_per_sec,
                                      format_.bits_per_sample, remaining),
                       capacity_);
}

std::uint32_t CSoundCtrl::TruncateAt(std::uint32_t new_length) {
    new_length = std::min(new_length, capacity_);
    if (data_ != nullptr) {
        std::memset(data_ + new_length, SilenceByte(), capacity_ - new_length);
    }
    length_ = new_length;
    return new_length;
}

int CSoundCtrl::FillSilenceFrom(std::uint32_t offset) {
    if (data_ == nullptr)
        return 0;
    offset = std::min(offset, capacity_);
    std::memset(data_ + offset, SilenceByte(), capacity_ - offset);
    return 1;
}

int CSoundCtrl::ClearAll() {
    if (data_ == nullptr)
        return 0;
    std::memset(data_, SilenceByte(), capacity_);
    return 1;
}

namespace {
WaveDevice* g_default_device = nullptr;
}  // namespace

WaveDevice* DefaultWaveDevice() {
    return g_default_device;
}
void SetDefaultWaveDevice(WaveDevice* device) {
    g_default_device = device;
}

CSoundCtrl::~CSoundCtrl() {
    // Streams still open are dropped quietly: their owner is going away.
    input_.reset();
    output_.reset();
}

void CSoundCtrl::SetHeader(WaveHeader& header, std::uint8_t* data, std::uint32_t length) {
    header = WaveHeader{};
    header.data = data;
    header.buffer_length = length;
}

int CSoundCtrl::OpenRecord(WaveListener& owner) {
    if (data_ == nullptr || device() == nullptr)
        return 0;
    ClearAll();
    SetHeader(header_, data_, capacity_);
    monitoring_ = false;
    input_ = device()->OpenInput(format_, owner);
    if (input_ == nullptr)
        return 0;
    if (!input_->AddBuffer(header_)) {
        input_.reset();  // the half-opened device is closed without notifications
        return 0;
    }
    return 1;
}

void CSoundCtrl::StartInput() {
    if (input_ != nullptr)
        input_->Start();
}

std::uint32_t CSoundCtrl::RecordPosition() const {
    return input_ != nullptr ? input_->Position() : 0;
}

void CSoundCtrl::StopRecord() {
    set_length(std::min(RecordPosition(), capacity_));
    if (input_ != nullptr)
        input_->Reset();
}

void CSoundCtrl::CloseRecord() {
    if (input_ != nullptr)
        input_->Close();
}

void CSoundCtrl::FinishRecording() {
    // A recording that filled the whole block would round one block past it.
    set_length(std::min(
        RoundUpToBlock(format_.channels, format_.samples_per_sec, format_.bits_per_sample, length_),
        capacity_));
}

int CSoundCtrl::OpenPlayback(WaveListener& owner) {
    if (device() == nullptr)
        return 0;
    output_ = device()->OpenOutput(format_, owner);
    return output_ != nullptr ? 1 : 0;
}

void CSoundCtrl::Play(std::uint32_t offset) {
    offset &= ~1u;
    // A cursor placed past the end plays nothing rather than bytes beyond the sound.
    offset = std::min(offset, length_ & ~1u);
    stopped_position_ = 0;
    play_start_offset_ = offset;
    SetHeader(header_, data_ + offset, length_ - offset);
    if (output_ != nullptr)
        output_->AddBuffer(header_);
}

std::uint32_t CSoundCtrl::PlayPosition() const {
    const std::uint32_t played = output_ != nullptr ? output_->Position() : 0;
    return play_start_offset_ + played;
}

void CSoundCtrl::PausePlayback() {
    if (output_ == nullptr)
        return;
    output_->Pause();
    stopped_position_ = PlayPosition();
    output_->Reset();
}

void CSoundCtrl::ClosePlayback() {
    if (output_ == nullptr)
        return;
    if (stopped_position_ == 0)
        stopped_position_ = PlayPosition();
    output_->Close();
}

int CSoundCtrl::OpenMonitor(WaveListener& owner) {
    if (device() == nullptr)
        return 0;
    StderrPrompter prompter;
    for (int slot = 0; slot < 2; ++slot) {
        auto buffer = std::make_unique<CWaveFile>();
        buffer->SetFormat(kFormatPcm, 1, 8000, 16);
        buffer->Allocate(kMonitorBytes, prompter);
        SetHeader(monitor_headers_[slot], buffer->data(), kMonitorBytes);
        monitor_buffers_[slot] = std::move(buffer);
    }
    WaveFormat format;
    format.format_tag = kFormatPcm;
    format.channels = 1;
    format.samples_per_sec = 8000;
    format.avg_bytes_per_sec = 16000;
    format.block_align = 2;
    format.bits_per_sample = 16;
    input_ = device()->OpenInput(format, owner);
    if (input_ == nullptr)
        return 0;
    for (WaveHeader& header : monitor_headers_) {
        if (!input_->AddBuffer(header)) {
            input_.reset();
            return 0;
        }
    }
    monitoring_ = true;
    return 1;
}

std::uint16_t CSoundCtrl::MonitorBufferDone() {
    if (!monitoring_ || input_ == nullptr)
        return 0;
    std::uint16_t peak = 0;
    for (int slot = 0; slot < 2; ++slot) {
        WaveHeader& header = monitor_headers_[slot];
        if (!header.done)
            continue;
        // The peak is taken before the buffer goes back to the device, which refills it.
        peak = BufferPeak(slot);
        SetHeader(header, monitor_buffers_[slot]->data(), kMonitorBytes);
        input_->AddBuffer(header);
    }
    return peak;
}

std::uint16_t CSoundCtrl::BufferPeak(int slot) const {
    if (slot < 0 || slot > 1 || monitor_buffers_[slot] == nullptr)
        return 0;
    const std::uint8_t* bytes = monitor_buffers_[slot]->data();
    int peak = 0;
    for (std::uint32_t i = 0; i + 1 < kMonitorBytes; i += 2) {
        const auto sample = static_cast<std::int16_t>(bytes[i] | (bytes[i + 1] << 8));
        peak = std::max(peak, sample < 0 ? -static_cast<int>(sample) : static_cast<int>(sample));
    }
    return static_cast<std::uint16_t>(peak);
}

void CSoundCtrl::CloseMonitor() {
    if (input_ != nullptr) {
        input_->Reset();
        input_->Close();
    }
    input_.reset();
    monitoring_ = false;
    for (int slot = 0; slot < 2; ++slot) {
        monitor_headers_[slot] = WaveHeader{};
        monitor_buffers_[slot].reset();
    }
}

}  // namespace kotar
