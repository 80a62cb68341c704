// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace kotar::test {

// Samples of a sine tone (full scale = 1.0), `channels` identical channels interleaved.
inline std::vector<float> Sine(double frequency_hz, double rate_hz, double amplitude,
                               std::size_t frames, int channels = 1) {
    std::vector<float> out(frames * static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < frames; ++i) {
        const double v = amplitude * std::sin(2 * std::numbers::pi * frequency_hz *
                                              static_cast<double>(i) / rate_hz);
        for (int c = 0; c < channels; ++c)
            out[i * channels + c] = static_cast<float>(v);
    }
    return out;
}

// Amplitude (full scale = 1.0) of the component at frequency_hz in the 16-bit samples
// [first, first + count), by a Goertzel filter; count should hold whole periods.
inline double ToneAmplitude(const std::vector<std::int16_t>& samples, std::size_t first,
                            std::size_t count, double frequency_hz, double rate_hz) {
    const double w = 2 * std::numbers::pi * frequency_hz / rate_hz;
    double re = 0, im = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double x = samples[first + i] / 32768.0;
        re += x * std::cos(w * static_cast<double>(i));
        im -= x * std::sin(w * static_cast<double>(i));
    }
    return 2 * std::sqrt(re * re + im * im) / static_cast<double>(count);
}

inline std::vector<std::int16_t> Samples16(const std::uint8_t* bytes, std::size_t count) {
    std::vector<std::int16_t> out(count);
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = static_cast<std::int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    return out;
}

}  // namespace kotar::test
