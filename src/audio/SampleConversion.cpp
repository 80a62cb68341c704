// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/SampleConversion.h"

namespace kotar {
namespace {

// Output frames per call of the resampler: a few pages, reused for the whole conversion.
constexpr std::size_t kResamplerOutFrames = 4096;

}  // namespace

void MixToMono(const std::uint8_t* in, std::size_t frames, int channels, float* mono) {
    const float scale = 1.0f / (32768.0f * static_cast<float>(channels));
    if (channels == 2) {  // the common stereo source, without the inner loop
        for (std::size_t f = 0; f < frames; ++f, in += 4)
            mono[f] = static_cast<float>(GetSample16(in) + GetSample16(in + 2)) * scale;
        return;
    }
    for (std::size_t f = 0; f < frames; ++f) {
        int sum = 0;
        for (int c = 0; c < channels; ++c, in += 2)
            sum += GetSample16(in);
        mono[f] = static_cast<float>(sum) * scale;
    }
}

Resampler::Resampler(const SoxrLibrary& lib, std::uint32_t in_rate, std::uint32_t out_rate,
                     unsigned channels)
    : lib_(lib), channels_(channels), out_(kResamplerOutFrames * channels) {
    soxr_error_t error = nullptr;
    const soxr_io_spec_t io = lib.io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = lib.quality_spec(SOXR_HQ, 0);
    handle_ = lib.create(in_rate, out_rate, channels, &error, &io, &quality, nullptr);
    if (error != nullptr && handle_ != nullptr) {
        lib.destroy(handle_);
        handle_ = nullptr;
    }
}

Resampler::~Resampler() {
    if (handle_ != nullptr)
        lib_.destroy(handle_);
}

bool Resampler::Process(const float* in, std::size_t frames, Sink& sink) {
    while (frames > 0) {
        std::size_t used = 0, made = 0;
        if (lib_.process(handle_, in, frames, &used, out_.data(), kResamplerOutFrames, &made) !=
            nullptr) {
            return false;
        }
        if (used == 0 && made == 0)
            return false;  // no progress: never loop for ever
        in += used * channels_;
        frames -= used;
        if (made > 0 && !sink.Take(out_.data(), made))
            return true;
    }
    return true;
}

bool Resampler::Flush(Sink& sink) {
    for (;;) {
        std::size_t made = 0;
        if (lib_.process(handle_, nullptr, 0, nullptr, out_.data(), kResamplerOutFrames, &made) !=
            nullptr) {
            return false;
        }
        if (made == 0 || !sink.Take(out_.data(), made))
            return true;
    }
}

}  // namespace kotar
