// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <vector>

#include "audio/MuLaw.h"

namespace kotar {
namespace {

// An encoder written from the standard's description, bit by bit: sign, then the position of
// the highest set bit of the biased 14-bit magnitude as exponent, the next four bits as
// mantissa, everything inverted.
std::uint8_t ReferenceEncode(int sample16) {
    int value = sample16 / 4;
    if (sample16 < 0 && sample16 % 4 != 0)
        value -= 1;  // arithmetic shift, not division
    const bool negative = value < 0;
    int magnitude = negative ? -value : value;
    if (magnitude > 8159)
        magnitude = 8159;
    magnitude += 33;
    int code;
    if (magnitude >= 8192) {
        code = 0x7F;
    } else {
        int top_bit = 0;
        for (int bit = 12; bit >= 0; --bit) {
            if (magnitude & (1 << bit)) {
                top_bit = bit;
                break;
            }
        }
        const int exponent = top_bit < 5 ? 0 : top_bit - 5;
        const int mantissa = (magnitude >> (exponent + 1)) & 0x0F;
        code = (exponent << 4) | mantissa;
    }
    if (negative)
        code |= 0x80;  // inverted below: positive samples carry the sign bit
    return static_cast<std::uint8_t>(~code & 0xFF);
}

TEST(MuLaw, EncodesLiteralValuesAcrossTheRange) {
    EXPECT_EQ(MuLawEncode(0), 0xFF);
    EXPECT_EQ(MuLawEncode(3), 0xFF);
    EXPECT_EQ(MuLawEncode(4), 0xFE);
    EXPECT_EQ(MuLawEncode(-1), 0x7E);
    EXPECT_EQ(MuLawEncode(100), 0xF2);
    EXPECT_EQ(MuLawEncode(1000), 0xCE);
    EXPECT_EQ(MuLawEncode(-1000), 0x4E);
    EXPECT_EQ(MuLawEncode(32767), 0x80);
    EXPECT_EQ(MuLawEncode(32635), 0x80);
    EXPECT_EQ(MuLawEncode(-32768), 0x00);
}

TEST(MuLaw, EveryInputMatchesTheBitByBitReference) {
    int mismatches = 0;
    for (int s = -32768; s <= 32767; ++s) {
        if (MuLawEncode(static_cast<std::int16_t>(s)) != ReferenceEncode(s)) {
            if (++mismatches < 5)
                ADD_FAILURE() << "sample " << s;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(MuLaw, DecodesToTheG711ValuesAndRoundTrips) {
    EXPECT_EQ(MuLawDecode(0xFF), 0);
    EXPECT_EQ(MuLawDecode(0x7F), 0);
    EXPECT_EQ(MuLawDecode(0x80), 32124);
    EXPECT_EQ(MuLawDecode(0x00), -32124);
    EXPECT_EQ(MuLawDecode(0xCE), 988);
    EXPECT_EQ(MuLawDecode(0x4E), -988);
    EXPECT_EQ(MuLawDecode(0xFE), 8);
    for (int code = 0; code < 256; ++code) {
        const std::int16_t value = MuLawDecode(static_cast<std::uint8_t>(code));
        // Every decoded value encodes back to its code (0x7F, negative zero, becomes 0xFF).
        const std::uint8_t again = MuLawEncode(value);
        EXPECT_EQ(again, code == 0x7F ? 0xFF : code) << code;
    }
}

TEST(MuLaw, BufferFunctionsMatchTheSingleSampleOnes) {
    std::vector<std::int16_t> samples;
    for (int s = -32768; s <= 32767; s += 7)
        samples.push_back(static_cast<std::int16_t>(s));
    std::vector<std::uint8_t> codes(samples.size());
    MuLawEncodeBuffer(samples.data(), samples.size(), codes.data());
    std::vector<std::int16_t> decoded(codes.size());
    MuLawDecodeBuffer(codes.data(), codes.size(), decoded.data());
    std::vector<std::uint8_t> stored;  // the samples as a WAV file holds them
    for (std::int16_t s : samples) {
        stored.push_back(static_cast<std::uint8_t>(s & 0xFF));
        stored.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
    }
    std::vector<std::uint8_t> from_bytes(samples.size());
    MuLawEncodeBytes(stored.data(), samples.size(), from_bytes.data());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        ASSERT_EQ(codes[i], MuLawEncode(samples[i]));
        ASSERT_EQ(from_bytes[i], codes[i]) << samples[i];
        ASSERT_EQ(decoded[i], MuLawDecode(codes[i]));
    }
}

}  // namespace
}  // namespace kotar
