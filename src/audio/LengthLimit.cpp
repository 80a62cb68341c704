// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/LengthLimit.h"

#include <cmath>

namespace kotar {
namespace {

std::uint32_t BytesFor(const CWaveFile& buffer, std::uint32_t ms) {
    const WaveFormat& f = buffer.format();
    return CWaveFile::BytesForDuration(f.channels, f.samples_per_sec, f.bits_per_sample, ms);
}

}  // namespace

std::uint32_t SecondsToMilliseconds(double seconds) {
    if (!(seconds > 0))
        return 0;
    // The slot maxima are written in decimal; a tolerance far below one millisecond keeps
    // their binary representation from losing a whole millisecond to the truncation.
    double ms = std::floor(seconds * 1000.0 + 1e-6);
    return ms >= 4294967295.0 ? UINT32_MAX : static_cast<std::uint32_t>(ms);
}

int CheckLength(const CWaveFile& buffer, double max_seconds) {
    const WaveFormat& f = buffer.format();
    const std::uint32_t limit = BytesFor(buffer, SecondsToMilliseconds(max_seconds));
    const std::uint32_t grace =
        CWaveFile::RoundUpToBlock(f.channels, f.samples_per_sec, f.bits_per_sample, limit);
    if (buffer.length() <= limit)
        return 0;
    if (buffer.length() <= grace)
        return 1;
    return 2;
}

std::uint32_t BytesForSeconds(const CWaveFile& buffer, double seconds) {
    return BytesFor(buffer, SecondsToMilliseconds(seconds));
}

std::uint32_t TruncateToSeconds(CSoundCtrl& buffer, double seconds) {
    return buffer.TruncateAt(BytesForSeconds(buffer, seconds));
}

int IsNotLongerThan(const CWaveFile& buffer, std::uint32_t seconds) {
    return BytesFor(buffer, seconds * 1000u) >= buffer.length() ? 1 : 0;
}

}  // namespace kotar
