// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace kotar::test {

// Builds RIFF files chunk by chunk for tests, independently of the program's writer.
class WavBuilder {
public:
    WavBuilder& Tag(std::string_view tag) {
        bytes_.insert(bytes_.end(), tag.begin(), tag.end());
        return *this;
    }
    WavBuilder& U16(std::uint16_t v) {
        bytes_.push_back(static_cast<std::uint8_t>(v));
        bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
        return *this;
    }
    WavBuilder& U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        return *this;
    }
    WavBuilder& Bytes(const std::vector<std::uint8_t>& b) {
        bytes_.insert(bytes_.end(), b.begin(), b.end());
        return *this;
    }
    WavBuilder& Fill(std::size_t count, std::uint8_t value) {
        bytes_.insert(bytes_.end(), count, value);
        return *this;
    }
    // A format record: tag, channels, rate, bits; block align and byte rate derived.
    WavBuilder& Format(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                       std::uint16_t bits) {
        return U16(tag)
            .U16(channels)
            .U32(rate)
            .U32(rate * channels * (bits / 8u))
            .U16(static_cast<std::uint16_t>(channels * (bits / 8u)))
            .U16(bits);
    }
    // A whole canonical file: RIFF/WAVE, a 16-byte fmt chunk and the data chunk.
    static std::vector<std::uint8_t> Pcm(std::uint16_t tag, std::uint16_t channels,
                                         std::uint32_t rate, std::uint16_t bits,
                                         const std::vector<std::uint8_t>& data) {
        const auto size = static_cast<std::uint32_t>(data.size());
        WavBuilder b;
        b.Tag("RIFF").U32(4 + 24 + 8 + size + (size & 1u)).Tag("WAVE");
        b.Tag("fmt ").U32(16).Format(tag, channels, rate, bits);
        b.Tag("data").U32(size).Bytes(data);
        if (size & 1u)
            b.Fill(1, 0);
        return b.bytes();
    }
    // 16-bit little-endian samples as bytes.
    static std::vector<std::uint8_t> Samples16(const std::vector<std::int16_t>& samples) {
        std::vector<std::uint8_t> out;
        out.reserve(samples.size() * 2);
        for (std::int16_t s : samples) {
            out.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(s)));
            out.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(s) >> 8));
        }
        return out;
    }
    // A canonical PCM file whose data chunk holds data_bytes zero bytes, written as a sparse
    // file: a large source without the cost of writing it.
    static void WriteSilentPcm(const std::filesystem::path& path, std::uint16_t channels,
                               std::uint32_t rate, std::uint16_t bits, std::uint32_t data_bytes) {
        WavBuilder b;
        b.Tag("RIFF").U32(4 + 24 + 8 + data_bytes + (data_bytes & 1u)).Tag("WAVE");
        b.Tag("fmt ").U32(16).Format(1, channels, rate, bits).Tag("data").U32(data_bytes);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(b.bytes_.data()),
                   static_cast<std::streamsize>(b.bytes_.size()));
        std::filesystem::resize_file(path, b.bytes_.size() + data_bytes + (data_bytes & 1u));
    }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace kotar::test
