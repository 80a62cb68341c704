// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/LoudnessTarget.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace kotar {

namespace {

std::optional<double> ParseDecimal(const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    if (error != std::errc() || stop != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<double> ParseLoudnessTarget(const std::string& text) {
    const std::optional<double> value = ParseDecimal(text);
    if (!value || *value < kMinLoudnessLufs || *value > kMaxLoudnessLufs)
        return std::nullopt;
    return value;
}

std::optional<double> ReadTypedLoudnessTarget(const std::string& text) {
    const std::optional<double> value = ParseDecimal(text);
    if (!value)
        return std::nullopt;
    return std::clamp(*value, kMinLoudnessLufs, kMaxLoudnessLufs);
}

double ReadLoudnessTarget(const ProfileFile& ini) {
    const std::optional<std::string> text = ini.GetValue("CONFIG", "LOUDNESS");
    return text ? ParseLoudnessTarget(*text).value_or(kDefaultLoudnessLufs) : kDefaultLoudnessLufs;
}

bool WriteLoudnessTarget(ProfileFile& ini, double lufs) {
    if (!(lufs >= kMinLoudnessLufs && lufs <= kMaxLoudnessLufs))
        return false;
    char text[16];
    const auto result = std::to_chars(text, text + sizeof text, std::round(lufs * 10) / 10,
                                      std::chars_format::fixed, 1);
    return ini.WriteString("CONFIG", "LOUDNESS", std::string(text, result.ptr));
}

}  // namespace kotar
