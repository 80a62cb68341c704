// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/LevelAnalysis.h"

#include <ebur128.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <vector>

namespace kotar {
namespace {

constexpr double kFullScale = 32768.0;
constexpr std::uint32_t kLevelRateHz = 8000;
// The length of one gating block of the integrated loudness.
constexpr std::uint32_t kGatingBlockMs = 400;
// Samples handed to the meter at a time.
constexpr std::size_t kChunkSamples = 4096;

struct StateDeleter {
    void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};
using MeterState = std::unique_ptr<ebur128_state, StateDeleter>;

double Loudness(const std::uint8_t* bytes, std::size_t count, std::uint32_t rate_hz) {
    constexpr double kNone = -std::numeric_limits<double>::infinity();
    const std::uint64_t duration_ms = static_cast<std::uint64_t>(count) * 1000 / rate_hz;
    if (duration_ms == 0)
        return kNone;
    MeterState state(ebur128_init(1, rate_hz, EBUR128_MODE_I));
    if (state == nullptr)
        return kNone;
    std::vector<short> chunk(kChunkSamples);
    for (std::size_t at = 0; at < count; at += kChunkSamples) {
        const std::size_t n = std::min(kChunkSamples, count - at);
        for (std::size_t i = 0; i < n; ++i)
            chunk[i] = SampleAt(bytes, at + i);
        if (ebur128_add_frames_short(state.get(), chunk.data(), n) != EBUR128_SUCCESS)
            return kNone;
    }
    double lufs = kNone;
    if (duration_ms >= kGatingBlockMs) {
        if (ebur128_loudness_global(state.get(), &lufs) != EBUR128_SUCCESS)
            return kNone;
    } else {
        // No whole gating block: the mean over the phrase (the meter's window starts in
        // silence, so only the last duration_ms are taken).
        if (ebur128_loudness_window(state.get(), static_cast<unsigned long>(duration_ms), &lufs) !=
            EBUR128_SUCCESS)
            return kNone;
        if (lufs < -70.0)
            return kNone;
    }
    return std::isfinite(lufs) ? lufs : kNone;
}

}  // namespace

bool HasLevelFormat(const CWaveFile& phrase) {
    const WaveFormat& f = phrase.format();
    return f.format_tag == kFormatPcm && f.channels == 1 && f.bits_per_sample == 16 &&
           f.samples_per_sec == kLevelRateHz;
}

LevelFigures MeasureLevels(const CWaveFile& phrase) {
    LevelFigures figures;
    if (!HasLevelFormat(phrase) || phrase.data() == nullptr)
        return figures;
    const std::uint8_t* bytes = phrase.data();
    const std::size_t count = std::min(phrase.length(), phrase.capacity()) / 2;
    std::uint32_t run = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const int v = SampleAt(bytes, i);
        const auto magnitude = static_cast<std::uint32_t>(v < 0 ? -v : v);
        figures.peak_sample = std::max(figures.peak_sample, magnitude);
        if (magnitude >= 32767) {
            if (++run == kClipRunSamples)
                figures.clipped_samples += kClipRunSamples;
            else if (run > kClipRunSamples)
                ++figures.clipped_samples;
        } else {
            run = 0;
        }
    }
    if (figures.peak_sample > 0)
        figures.peak_dbfs = 20.0 * std::log10(figures.peak_sample / kFullScale);
    figures.loudness_lufs = Loudness(bytes, count, phrase.format().samples_per_sec);
    return figures;
}

std::string FormatLevel(double value) {
    if (std::isnan(value) || value == -std::numeric_limits<double>::infinity())
        return "-inf";
    // Rounded first, so that -0.04 reads "0.0", not "-0.0".
    double rounded = std::round(value * 10.0) / 10.0;
    if (rounded == 0.0)
        rounded = 0.0;
    char text[32];
    const auto result =
        std::to_chars(text, text + sizeof text, rounded, std::chars_format::fixed, 1);
    return std::string(text, result.ptr);
}

std::string FormatLevelLine(const LevelFigures& figures) {
    return "peak " + FormatLevel(figures.peak_dbfs) + " dBFS, loudness " +
           FormatLevel(figures.loudness_lufs) + " LUFS, clipped " +
           std::to_string(figures.clipped_samples);
}

}  // namespace kotar
