// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "audio/SoundCtrl.h"
#include "audio/WaveFile.h"

namespace kotar {

// The length limit a phrase dialog applies to its buffer when it is confirmed; the waveform
// view delegates its members of the same names to these.

// Milliseconds in a number of seconds, truncated; a decimal maximum whose binary form lies a
// hair below a whole millisecond still counts that millisecond.
std::uint32_t SecondsToMilliseconds(double seconds);

// 0 when the length is within max_seconds, 1 when it passes it by less than one 2.5 ms block
// (truncated silently), 2 when it passes it by more (the user is asked).
int CheckLength(const CWaveFile& buffer, double max_seconds);

// The bytes of `seconds` (whole milliseconds) in the buffer's format: where a cut ends.
std::uint32_t BytesForSeconds(const CWaveFile& buffer, double seconds);

// Cuts the buffer to `seconds` (silence behind); returns the new length.
std::uint32_t TruncateToSeconds(CSoundCtrl& buffer, double seconds);

// 1 when the sound is not longer than the whole number of seconds, else 0.
int IsNotLongerThan(const CWaveFile& buffer, std::uint32_t seconds);

}  // namespace kotar
