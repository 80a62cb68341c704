// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/PhraseLevelOps.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kotar {
namespace {

constexpr double kFullScale = 32768.0;

// The largest sample magnitude at or below a level (the ceiling of even loudness).
std::uint32_t MagnitudeAtMost(double dbfs) {
    return static_cast<std::uint32_t>(std::floor(kFullScale * std::pow(10.0, dbfs / 20.0)));
}

// The smallest sample magnitude at or above a level (what trimming counts as sound).
std::uint32_t MagnitudeAtLeast(double dbfs) {
    return static_cast<std::uint32_t>(std::ceil(kFullScale * std::pow(10.0, dbfs / 20.0)));
}

std::size_t SampleCount(const CWaveFile& phrase) {
    return phrase.data() == nullptr ? 0 : std::min(phrase.length(), phrase.capacity()) / 2;
}

std::uint32_t Magnitude(const std::uint8_t* bytes, std::size_t i) {
    const int v = SampleAt(bytes, i);
    return static_cast<std::uint32_t>(v < 0 ? -v : v);
}

}  // namespace

GainChoice EvenLoudnessGain(const LevelFigures& figures, double target_lufs) {
    GainChoice choice;
    if (!std::isfinite(figures.loudness_lufs) || figures.peak_sample == 0)
        return choice;
    const double loudness_gain = std::pow(10.0, (target_lufs - figures.loudness_lufs) / 20.0);
    // The ceiling as a whole sample, so that rounding the loudest sample cannot pass it.
    const double peak_gain =
        static_cast<double>(MagnitudeAtMost(kPeakCeilingDbfs)) / figures.peak_sample;
    choice.limited_by_peak = peak_gain < loudness_gain;
    choice.gain = choice.limited_by_peak ? peak_gain : loudness_gain;
    return choice;
}

bool ApplyGain(CWaveFile& phrase, double gain) {
    if (!HasLevelFormat(phrase))
        return false;
    std::uint8_t* bytes = phrase.data();
    const std::size_t count = SampleCount(phrase);
    bool changed = false;
    for (std::size_t i = 0; i < count; ++i) {
        const int v = SampleAt(bytes, i);
        const long scaled = std::clamp(std::lround(v * gain), -32768L, 32767L);
        if (scaled == v)
            continue;
        PutSample16(bytes + 2 * i, static_cast<std::int16_t>(scaled));
        changed = true;
    }
    return changed;
}

SoundSpan TrimmedSpan(const CWaveFile& phrase) {
    const std::size_t count = SampleCount(phrase);
    SoundSpan whole{0, static_cast<std::uint32_t>(count * 2)};
    if (!HasLevelFormat(phrase) || count == 0)
        return whole;
    const std::uint8_t* bytes = phrase.data();
    const std::uint32_t loud = MagnitudeAtLeast(kSilenceThresholdDbfs);
    std::size_t first = 0;
    while (first < count && Magnitude(bytes, first) < loud)
        ++first;
    if (first == count)
        return whole;
    std::size_t last = count - 1;
    while (Magnitude(bytes, last) < loud)
        --last;
    const std::size_t margin =
        static_cast<std::size_t>(phrase.format().samples_per_sec) * kTrimMarginMs / 1000;
    const std::size_t start = first > margin ? first - margin : 0;
    const std::size_t end = std::min(count, last + 1 + margin);
    return {static_cast<std::uint32_t>(start * 2), static_cast<std::uint32_t>(end * 2)};
}

bool KeepSpan(CWaveFile& phrase, SoundSpan span) {
    if (phrase.data() == nullptr)
        return false;
    const std::uint32_t length = std::min(phrase.length(), phrase.capacity());
    span.end = std::min(span.end, length);
    span.start = std::min(span.start, span.end);
    if (span.start == 0 && span.end == length)
        return false;
    const std::uint32_t kept = span.end - span.start;
    std::memmove(phrase.data(), phrase.data() + span.start, kept);
    std::memset(phrase.data() + kept, phrase.SilenceByte(), phrase.capacity() - kept);
    phrase.set_length(kept);
    return true;
}

GainChoice EvenLoudness(CWaveFile& phrase, double target_lufs) {
    const GainChoice choice = EvenLoudnessGain(MeasureLevels(phrase), target_lufs);
    if (choice.gain != 1.0)
        ApplyGain(phrase, choice.gain);
    return choice;
}

bool TrimSilence(CWaveFile& phrase) {
    return KeepSpan(phrase, TrimmedSpan(phrase));
}

}  // namespace kotar
