// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/Frame.h"

#include <cstdio>
#include <cstring>

namespace kotar {

std::uint8_t ComputeBcc(std::span<const std::uint8_t> bytes) {
    std::uint8_t bcc = 0;
    for (std::uint8_t b : bytes)
        bcc ^= b;
    return bcc;
}

std::size_t EncodeFrame(std::uint8_t mark, int command, std::span<const std::uint8_t> data,
                        std::span<std::uint8_t> out) {
    const std::size_t total = kFrameOverheadBytes + data.size();
    if (out.size() < total)
        return 0;
    char header[16];
    std::snprintf(header, sizeof header, "%04d%06d", command % 10000,
                  static_cast<int>(data.size() % 1000000));
    out[0] = kStx;
    out[1] = mark;
    std::memcpy(out.data() + 2, header, 10);
    if (!data.empty())
        std::memcpy(out.data() + kFrameHeaderBytes, data.data(), data.size());
    out[kFrameHeaderBytes + data.size()] = kEtx;
    out[kFrameHeaderBytes + data.size() + 1] =
        ComputeBcc(out.subspan(1, kFrameHeaderBytes + data.size()));
    return total;
}

std::vector<std::uint8_t> EncodeFrame(std::uint8_t mark, int command,
                                      std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> frame(kFrameOverheadBytes + data.size());
    EncodeFrame(mark, command, data, frame);
    return frame;
}

int ParseLengthField(std::span<const std::uint8_t> field) {
    int value = 0;
    for (std::uint8_t c : field) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<DecodedFrame> DecodeFrame(std::span<const std::uint8_t> frame) {
    if (frame.size() < kFrameOverheadBytes || frame[0] != kStx)
        return std::nullopt;
    const auto length_field = frame.subspan(6, 6);
    for (std::uint8_t c : length_field) {
        if (c < '0' || c > '9')
            return std::nullopt;
    }
    const std::size_t n = static_cast<std::size_t>(ParseLengthField(length_field));
    if (frame.size() != kFrameOverheadBytes + n)
        return std::nullopt;
    if (frame[kFrameHeaderBytes + n] != kEtx)
        return std::nullopt;
    if (ComputeBcc(frame.subspan(1, kFrameHeaderBytes + n)) != frame[kFrameHeaderBytes + n + 1]) {
        return std::nullopt;
    }
    DecodedFrame decoded;
    decoded.mark = frame[1];
    decoded.command = std::string_view(reinterpret_cast<const char*>(frame.data() + 2), 4);
    decoded.data = frame.subspan(kFrameHeaderBytes, n);
    return decoded;
}

void PutLe16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value & 0xFF);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void PutLe32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
}

std::uint16_t GetLe16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

std::uint32_t GetLe32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
           (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

}  // namespace kotar
