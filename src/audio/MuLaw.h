// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>

namespace kotar {

// G.711 mu-law: 16-bit linear samples to 8-bit codes and back, as the ITU-T reference encoder
// defines them (the two lowest bits are dropped, 0 -> 0xFF, 32767 -> 0x80, -32768 -> 0x00).

std::uint8_t MuLawEncode(std::int16_t sample);
// The G.711 value of a code scaled to 16 bits (0xFF -> 0, 0x80 -> 32124, 0x00 -> -32124).
std::int16_t MuLawDecode(std::uint8_t code);

// Whole buffers: `count` samples in, `count` codes out (and back).
void MuLawEncodeBuffer(const std::int16_t* samples, std::size_t count, std::uint8_t* codes);
void MuLawDecodeBuffer(const std::uint8_t* codes, std::size_t count, std::int16_t* samples);
// `count` samples stored as little-endian 16-bit bytes (as in WAV files) to `count` codes.
void MuLawEncodeBytes(const std::uint8_t* samples_le16, std::size_t count, std::uint8_t* codes);

}  // namespace kotar
