// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <limits>
#include <string>

#include "audio/SampleConversion.h"
#include "audio/WaveFile.h"

namespace kotar {

// A run of at least this many consecutive full-scale samples (32767, -32767 or -32768) counts
// as clipped: a single full-scale sample may be a loud but intact peak.
inline constexpr std::uint32_t kClipRunSamples = 3;

// The level figures of a phrase.
struct LevelFigures {
    // Largest sample magnitude, 0 to 32768, and the same in dB below full scale (32768);
    // minus infinity for silence.
    std::uint32_t peak_sample = 0;
    double peak_dbfs = -std::numeric_limits<double>::infinity();
    // Integrated loudness (EBU R128 / ITU-R BS.1770 gating) in LUFS. A phrase shorter than one
    // 400 ms gating block is measured ungated over its whole length. Minus infinity when no
    // block passes the absolute gate (-70 LUFS): silence, or less than 1 ms of sound.
    double loudness_lufs = -std::numeric_limits<double>::infinity();
    // Samples that belong to clipped runs.
    std::uint32_t clipped_samples = 0;
};

// The only format the figures and the level operations work on: the recording format, PCM mono
// 8000 Hz 16 bits. A slot file's header may claim anything (the loudness meter crashes on a
// header that claims 16 or 17 samples per second), so everything else is refused.
bool HasLevelFormat(const CWaveFile& phrase);

// The figures of the first length bytes of a phrase in the level format (others give the
// figures of silence).
LevelFigures MeasureLevels(const CWaveFile& phrase);

// A level with one decimal and a dot as decimal point whatever the locale ("-3.2", "0.0");
// "-inf" for minus infinity.
std::string FormatLevel(double value);

// "peak P dBFS, loudness L LUFS, clipped N".
std::string FormatLevelLine(const LevelFigures& figures);

// The 16-bit sample at index i of little-endian PCM bytes.
inline std::int16_t SampleAt(const std::uint8_t* bytes, std::size_t i) {
    return GetSample16(bytes + 2 * i);
}

}  // namespace kotar
