// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/CodecLibraries.h"

namespace kotar {

// Rounds a sample of full scale 1.0 to the nearest 16-bit value (halves away from zero) and
// clips; NaN gives 0.
inline std::int16_t ToSample16(float x) {
    if (std::isnan(x))
        return 0;
    const float v = std::clamp(x * 32768.0f, -32768.0f, 32767.0f);
    return static_cast<std::int16_t>(static_cast<int>(v + (v >= 0 ? 0.5f : -0.5f)));
}

// 16-bit samples as stored in WAV files (little-endian).
inline std::int16_t GetSample16(const std::uint8_t* p) {
    return static_cast<std::int16_t>(p[0] | (p[1] << 8));
}
inline void PutSample16(std::uint8_t* p, std::int16_t v) {
    const auto u = static_cast<std::uint16_t>(v);
    p[0] = static_cast<std::uint8_t>(u);
    p[1] = static_cast<std::uint8_t>(u >> 8);
}

// The mean of the channels of `frames` interleaved 16-bit frames, full scale 1.0.
void MixToMono(const std::uint8_t* interleaved, std::size_t frames, int channels, float* mono);

// Band-limited resampling of interleaved float frames (libsoxr, high quality). The output does
// not depend on how the input is cut into blocks.
class Resampler {
public:
    // Receives converted frames; returns false once it wants no more.
    class Sink {
    public:
        virtual ~Sink() = default;
        virtual bool Take(const float* interleaved, std::size_t frames) = 0;
    };

    // `lib` must outlive the resampler. ok() is false when libsoxr refuses the rates.
    Resampler(const SoxrLibrary& lib, std::uint32_t in_rate, std::uint32_t out_rate,
              unsigned channels);
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    bool ok() const { return handle_ != nullptr; }
    // Converts `frames` frames into the sink. False on a resampler error.
    bool Process(const float* in, std::size_t frames, Sink& sink);
    // Ends the input and hands over what the filter still holds. False on a resampler error.
    bool Flush(Sink& sink);

private:
    const SoxrLibrary& lib_;
    soxr* handle_ = nullptr;
    unsigned channels_;
    std::vector<float> out_;
};

// Stores converted samples as 16-bit PCM into a block until it is full; the rest is dropped.
class Sample16Writer : public Resampler::Sink {
public:
    Sample16Writer(std::uint8_t* block, std::size_t samples, unsigned channels = 1)
        : next_(block), left_(samples), channels_(channels) {}

    // `count` samples (frames times channels).
    bool Put(const float* samples, std::size_t count) {
        count = std::min(count, left_);
        for (std::size_t i = 0; i < count; ++i, next_ += 2)
            PutSample16(next_, ToSample16(samples[i]));
        left_ -= count;
        return left_ > 0;
    }
    bool Take(const float* interleaved, std::size_t frames) override {
        return Put(interleaved, frames * channels_);
    }
    bool full() const { return left_ == 0; }

private:
    std::uint8_t* next_;
    std::size_t left_;
    unsigned channels_;
};

}  // namespace kotar
