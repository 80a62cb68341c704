// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

#include "common/ProfileFile.h"

namespace kotar {

// The loudness that "音量を揃える" brings a phrase to: key LOUDNESS of section CONFIG, in LUFS.
// The start never writes it; it is written only when the user changes it.
inline constexpr double kDefaultLoudnessLufs = -16.0;
inline constexpr double kMinLoudnessLufs = -40.0;
inline constexpr double kMaxLoudnessLufs = -5.0;

// A target written as a decimal number with a dot ("-16", "-18.5"), within -40 to -5; nothing
// for any other text.
std::optional<double> ParseLoudnessTarget(const std::string& text);

// A target as the user types it: a decimal number with a dot, brought into -40 to -5, so that
// "-50" reads -40 and "-3" reads -5; nothing for text that is no such number.
std::optional<double> ReadTypedLoudnessTarget(const std::string& text);

// CONFIG/LOUDNESS, or -16 when it is missing, malformed or out of range.
double ReadLoudnessTarget(const ProfileFile& ini);

// Writes CONFIG/LOUDNESS with one decimal ("-18.5"); false when the value is out of range or
// the file cannot be written.
bool WriteLoudnessTarget(ProfileFile& ini, double lufs);

}  // namespace kotar
