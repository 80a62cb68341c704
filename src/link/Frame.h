// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace kotar {

// The frame of the device link, the same in both directions:
//   STX, 'T' (request) or 'A' (response), command "%04d", data length "%06d", data, ETX, BCC
// where BCC is the XOR of every byte from the direction byte up to and including ETX.

inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kEtx = 0x03;
inline constexpr std::uint8_t kRequestMark = 'T';
inline constexpr std::uint8_t kResponseMark = 'A';
inline constexpr std::size_t kFrameHeaderBytes = 12;  // STX, mark, command, length
inline constexpr std::size_t kFrameOverheadBytes = 14;
inline constexpr std::size_t kFrameBufferBytes = 2048;
inline constexpr std::size_t kMaxFrameDataBytes = kFrameBufferBytes - kFrameOverheadBytes;

inline constexpr int kCmdWriteStart = 9000;
inline constexpr int kCmdWriteBlock = 9001;
inline constexpr int kCmdWriteEnd = 9002;
inline constexpr int kCmdReadStart = 9010;
inline constexpr int kCmdReadBlock = 9011;
inline constexpr int kCmdReadEnd = 9012;

// XOR of the bytes, starting from 0.
std::uint8_t ComputeBcc(std::span<const std::uint8_t> bytes);

// Writes a whole frame into out (which must hold 14 + data.size() bytes); returns its length.
std::size_t EncodeFrame(std::uint8_t mark, int command, std::span<const std::uint8_t> data,
                        std::span<std::uint8_t> out);
std::vector<std::uint8_t> EncodeFrame(std::uint8_t mark, int command,
                                      std::span<const std::uint8_t> data);

// Value of a length field: its leading decimal digits (reading stops at the first other byte).
int ParseLengthField(std::span<const std::uint8_t> field);

// A complete, well-formed frame split into its parts (checks STX, ETX, the length and BCC).
struct DecodedFrame {
    std::uint8_t mark = 0;
    std::string_view command;  // the four command bytes, as sent
    std::span<const std::uint8_t> data;
};
std::optional<DecodedFrame> DecodeFrame(std::span<const std::uint8_t> frame);

// Little-endian integers in frame data.
void PutLe16(std::uint8_t* at, std::uint16_t value);
void PutLe32(std::uint8_t* at, std::uint32_t value);
std::uint16_t GetLe16(const std::uint8_t* at);
std::uint32_t GetLe32(const std::uint8_t* at);

}  // namespace kotar
