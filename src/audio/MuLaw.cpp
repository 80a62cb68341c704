// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/MuLaw.h"

#include <array>

namespace kotar {
namespace {

constexpr int kBias = 0x84;  // 132: the bias of the 16-bit form
constexpr int kClip = 8159;  // largest 14-bit magnitude before the bias

// The reference encoder on a 14-bit sample (the 16-bit sample shifted right by two).
constexpr std::uint8_t EncodeFourteenBit(int sample14) {
    int mask = 0xFF;
    int magnitude = sample14;
    if (magnitude < 0) {
        magnitude = -magnitude;
        mask = 0x7F;
    }
    if (magnitude > kClip)
        magnitude = kClip;
    magnitude += kBias >> 2;
    int segment = 0;
    while (segment < 8 && magnitude > ((0x40 << segment) - 1))
        ++segment;
    if (segment >= 8)
        return static_cast<std::uint8_t>(0x7F ^ mask);
    const int code = (segment << 4) | ((magnitude >> (segment + 1)) & 0x0F);
    return static_cast<std::uint8_t>(code ^ mask);
}

constexpr std::int16_t DecodeCode(std::uint8_t code) {
    const int inverted = ~code & 0xFF;
    int t = ((inverted & 0x0F) << 3) + kBias;
    t <<= (inverted & 0x70) >> 4;
    return static_cast<std::int16_t>((inverted & 0x80) ? (kBias - t) : (t - kBias));
}

// Encoding depends only on the top 14 bits, so 16384 entries cover every sample. Built by the
// compiler: a process that encodes once should not first spend millions of instructions on
// the table.
struct Tables {
    std::array<std::uint8_t, 16384> encode{};
    std::array<std::int16_t, 256> decode{};
    constexpr Tables() {
        for (int i = 0; i < 16384; ++i) {
            const int sample14 = i < 8192 ? i : i - 16384;
            encode[static_cast<std::size_t>(i)] = EncodeFourteenBit(sample14);
        }
        for (int c = 0; c < 256; ++c)
            decode[static_cast<std::size_t>(c)] = DecodeCode(static_cast<std::uint8_t>(c));
    }
};

constexpr Tables kTables;

constexpr const Tables& GetTables() {
    return kTables;
}

inline std::size_t EncodeIndex(std::int16_t sample) {
    return static_cast<std::uint16_t>(sample) >> 2;
}

}  // namespace

std::uint8_t MuLawEncode(std::int16_t sample) {
    return GetTables().encode[EncodeIndex(sample)];
}

std::int16_t MuLawDecode(std::uint8_t code) {
    return GetTables().decode[code];
}

void MuLawEncodeBuffer(const std::int16_t* samples, std::size_t count, std::uint8_t* codes) {
    const auto& table = GetTables().encode;
    for (std::size_t i = 0; i < count; ++i)
        codes[i] = table[EncodeIndex(samples[i])];
}

void MuLawEncodeBytes(const std::uint8_t* samples_le16, std::size_t count, std::uint8_t* codes) {
    const auto& table = GetTables().encode;
    for (std::size_t i = 0; i < count; ++i, samples_le16 += 2) {
        // The top 14 bits of the sample: the high byte and the top six bits of the low one.
        codes[i] = table[(std::size_t{samples_le16[1]} << 6) | (samples_le16[0] >> 2)];
    }
}

void MuLawDecodeBuffer(const std::uint8_t* codes, std::size_t count, std::int16_t* samples) {
    const auto& table = GetTables().decode;
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = table[codes[i]];
}

}  // namespace kotar
