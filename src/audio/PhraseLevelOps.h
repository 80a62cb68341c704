// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "audio/LevelAnalysis.h"
#include "audio/WaveFile.h"

namespace kotar {

// Even loudness never lets the peak pass this level.
inline constexpr double kPeakCeilingDbfs = -1.0;
// Trimming removes what stays below this level at both ends of a phrase...
inline constexpr double kSilenceThresholdDbfs = -45.0;
// ...but keeps this much of it before and after the sound.
inline constexpr std::uint32_t kTrimMarginMs = 100;

// The gain of even loudness and which rule chose it.
struct GainChoice {
    double gain = 1.0;             // linear factor
    bool limited_by_peak = false;  // the peak ceiling gave the smaller gain
};

// The gain that brings the loudness to target_lufs without the peak passing -1 dBFS: the
// smaller of the two. 1 when the phrase has no measurable loudness (silence), so that nothing
// is made of noise.
GainChoice EvenLoudnessGain(const LevelFigures& figures, double target_lufs);

// Multiplies every sample of the sound by gain, rounded to the nearest and limited to the
// 16-bit range. True when a sample changed.
bool ApplyGain(CWaveFile& phrase, double gain);

// The part of a phrase that trimming keeps, as byte offsets: from 100 ms before the first
// sample at or above -45 dBFS to 100 ms after the last one, within the sound. The whole sound
// when no sample is that loud, so that a phrase is never emptied.
struct SoundSpan {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
};
SoundSpan TrimmedSpan(const CWaveFile& phrase);

// Keeps only the span of the sound: moved to the start of the block, silence behind it up to
// the capacity, length = its size. True when anything was removed.
bool KeepSpan(CWaveFile& phrase, SoundSpan span);

// "音量を揃える": measures the phrase and applies the gain of EvenLoudnessGain; the choice
// (gain 1 and nothing changed for silence and for a phrase not in the level format).
GainChoice EvenLoudness(CWaveFile& phrase, double target_lufs);

// "前後の無音を削除": keeps the TrimmedSpan. True when anything was removed (never from a phrase
// not in the level format).
bool TrimSilence(CWaveFile& phrase);

}  // namespace kotar
