// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "audio/CodecLibraries.h"
#include "common/FileRead.h"

namespace kotar {

// A WAV file read from its start in blocks of 16-bit frames, so that a conversion never holds
// the whole source. Plain PCM of 8, 16, 24 and 32 bits, 32-bit float and mu-law are read
// directly; every other encoding libsndfile knows goes through libsndfile, loaded only then.
// The samples are libsndfile's float decoding rounded to 16 bits (16-bit PCM as stored).
class WavSource {
public:
    enum class Status {
        kOpened,
        kUnreadable,   // cannot be opened, or no WAV file (message 110)
        kTooLarge,     // more sample data than allowed
        kUndecodable,  // an encoding nothing here decodes (message 111)
    };

    WavSource();
    ~WavSource();
    WavSource(const WavSource&) = delete;
    WavSource& operator=(const WavSource&) = delete;

    // Opens the file; a data chunk of more than max_data_bytes is kTooLarge before anything
    // is decoded.
    Status Open(const std::string& path, std::uint64_t max_data_bytes);

    int channels() const { return channels_; }
    std::uint32_t rate() const { return rate_; }
    // Frames the header announces; a decoder may deliver fewer.
    std::uint64_t frames() const { return frames_; }

    // Up to max_frames frames as interleaved little-endian 16-bit samples; 0 at the end.
    std::size_t Read(std::uint8_t* out, std::size_t max_frames);
    // True once the file could not be read where its data chunk said it holds samples.
    bool failed() const { return failed_; }

private:
    enum class Decoder { kPcm8, kPcm16, kPcm24, kPcm32, kFloat32, kMuLaw, kSndFile };
    // The bytes of one sample when the encoding is read directly, else 0.
    unsigned ChooseDirectDecoder(std::uint16_t format_tag, std::uint16_t bits);
    bool OpenSndFile(const std::string& path);
    std::size_t ReadDirect(std::uint8_t* out, std::size_t frames);
    std::size_t ReadSndFile(std::uint8_t* out, std::size_t frames);

    Decoder decoder_ = Decoder::kPcm16;
    int channels_ = 0;
    std::uint32_t rate_ = 0;
    std::uint64_t frames_ = 0;
    std::uint64_t frames_left_ = 0;  // of the direct decoders
    std::size_t bytes_per_frame_ = 0;
    bool failed_ = false;
    FileHandle file_;
    std::vector<std::uint8_t> raw_;
    std::vector<float> floats_;
    std::unique_ptr<SndFileLibrary> sndfile_;  // outlives sound_file_
    std::unique_ptr<SNDFILE, decltype(&sf_close)> sound_file_{nullptr, nullptr};
};

}  // namespace kotar
