// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <numbers>
#include <vector>

#include "audio/SoundCtrl.h"
#include "common/Prompter.h"

namespace kotar::test {

// Test signals in the recording format (8000 Hz, 16 bits, mono).
inline constexpr double kPhraseRate = 8000.0;

// A cosine tone whose crest is `dbfs` below full scale (32768): the first sample is a crest,
// and with a count of whole 1 kHz periods (multiples of 8) the last sample is loud too.
inline std::vector<std::int16_t> Tone(double frequency_hz, double dbfs, std::size_t count) {
    const double amplitude = 32768.0 * std::pow(10.0, dbfs / 20.0);
    std::vector<std::int16_t> out(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double v =
            amplitude * std::cos(2 * std::numbers::pi * frequency_hz * i / kPhraseRate);
        out[i] = static_cast<std::int16_t>(std::lround(std::clamp(v, -32768.0, 32767.0)));
    }
    return out;
}

inline std::vector<std::int16_t> Silence(std::size_t count) {
    return std::vector<std::int16_t>(count, 0);
}

// The parts one after the other.
inline std::vector<std::int16_t> Concat(std::initializer_list<std::vector<std::int16_t>> parts) {
    std::vector<std::int16_t> out;
    for (const auto& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// A phrase buffer holding the samples, silence behind them up to `capacity_bytes` (at least the
// samples).
inline CSoundCtrl PhraseOf(const std::vector<std::int16_t>& samples, Prompter& prompter,
                           std::uint32_t capacity_bytes = 0) {
    const auto bytes = static_cast<std::uint32_t>(samples.size() * 2);
    CSoundCtrl phrase(kFormatPcm, 1, 8000, 16, std::max(bytes, capacity_bytes), prompter);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto u = static_cast<std::uint16_t>(samples[i]);
        phrase.data()[2 * i] = static_cast<std::uint8_t>(u & 0xFF);
        phrase.data()[2 * i + 1] = static_cast<std::uint8_t>(u >> 8);
    }
    phrase.set_length(bytes);
    return phrase;
}

// The samples of a buffer's sound.
inline std::vector<std::int16_t> SamplesOf(const CWaveFile& phrase) {
    std::vector<std::int16_t> out(phrase.length() / 2);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<std::int16_t>(phrase.data()[2 * i] | (phrase.data()[2 * i + 1] << 8));
    return out;
}

// The whole block of a buffer (capacity bytes), for byte-for-byte comparisons.
inline std::vector<std::uint8_t> BlockOf(const CWaveFile& phrase) {
    return std::vector<std::uint8_t>(phrase.data(), phrase.data() + phrase.capacity());
}

}  // namespace kotar::test
