// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "common/Prompter.h"

namespace kotar {

// The 18-byte WAVEFORMATEX record, little-endian and packed in files.
struct WaveFormat {
    std::uint16_t format_tag = 0;  // 1 = PCM, 7 = mu-law
    std::uint16_t channels = 0;
    std::uint32_t samples_per_sec = 0;
    std::uint32_t avg_bytes_per_sec = 0;
    std::uint16_t block_align = 0;
    std::uint16_t bits_per_sample = 0;
    std::uint16_t cb_size = 0;
};

inline constexpr std::uint16_t kFormatPcm = 1;
inline constexpr std::uint16_t kFormatMuLaw = 7;
// Largest data chunk read in audio mode (slot files, converted phrase files). Imports read
// their sources block by block instead (ImportChain.h).
inline constexpr std::uint32_t kMaxAudioDataBytes = 1'024'000;

// Where the sound of a WAV file lies: the format record (the first 18 bytes of the fmt chunk)
// and the data chunk that follows it.
struct WavDataChunk {
    WaveFormat format;
    std::uint64_t offset = 0;  // of the first sample byte
    std::uint32_t bytes = 0;
};
// Where a data chunk that claims more bytes than the file holds ends.
enum class DataChunkEnd {
    kDeclared,  // nowhere: the file is broken (message 110)
    kFileEnd,   // with the file, as libsndfile reads a truncated recording or a header whose
                // writer never filled in the size
};
// Walks the chunks of an open file with every size checked against the file's size. Nullopt
// when it is no RIFF WAVE file with a fmt chunk and a data chunk after it, or when a chunk runs
// past the end of the file (with kDeclared, the data chunk too: then reading the file as a
// wave buffer fails with message 110).
std::optional<WavDataChunk> LocateWavData(std::FILE* file, DataChunkEnd data_end);

// The sound buffer of the whole program: one format record, one owned zero-filled block, its
// capacity and the length of the sound in it; reads and writes RIFF WAV files.
class CWaveFile {
public:
    enum ReadMode : int { kAudioMode = 0, kAttributeMode = 1 };

    // 1. Empty: no block, capacity 0, length 0.
    CWaveFile();
    // 2. Format and capacity: SetFormat, then a zero-filled block of `bytes`; length 0.
    //    Allocation failure: message 109 and UserAbort.
    CWaveFile(std::uint16_t format_tag, std::uint16_t channels, std::uint32_t samples_per_sec,
              std::uint16_t bits_per_sample, std::uint32_t bytes, Prompter& prompter);
    // 3. Copy: the whole block (capacity bytes), capacity, length and format.
    //    Allocation failure: std::bad_alloc (no prompter at hand); the overload below shows
    //    message 109 and raises UserAbort instead.
    CWaveFile(const CWaveFile& other);
    CWaveFile(const CWaveFile& other, Prompter& prompter);
    // 4. From a WAV file in audio mode (the data chunk, at most 1,024,000 bytes) or attribute
    //    mode (data = the attribute text, length = the byte length of the sound). Any failure:
    //    message 110 and UserAbort.
    CWaveFile(const std::string& path, int mode, Prompter& prompter);
    CWaveFile& operator=(const CWaveFile&) = delete;
    virtual ~CWaveFile();

    void SetFormat(std::uint16_t format_tag, std::uint16_t channels, std::uint32_t samples_per_sec,
                   std::uint16_t bits_per_sample);
    // Only on an object without a block: a zero-filled block; capacity = length = bytes.
    // Allocation failure: message 109 and UserAbort.
    void Allocate(std::uint32_t bytes, Prompter& prompter);
    // Writes the first `length` bytes as a WAV file, with a LIST/INFO/atrb chunk holding the
    // attribute (UTF-8, stored as cp932) when it is not empty. The file is replaced atomically.
    // 1 on success, 0 when the file could not be written (an earlier file is then intact).
    // kScratch (files that are rebuilt on every use, like the converted phrases in TEMP)
    // skips the flush to disk; the replacement is still all-or-nothing.
    enum class Durability { kDurable, kScratch };
    int Save(const std::string& path, const std::string& attribute,
             Durability durability = Durability::kDurable) const;
    // The bytes of such a WAV file with the first data_bytes bytes of the block (at most the
    // capacity) as its sound: what Save writes, and what a decoder reads from memory.
    std::vector<std::uint8_t> FileImage(std::uint32_t data_bytes,
                                        const std::string& attribute) const;
    // Copies the first count bytes of the block; 0 when there is no block.
    int CopyTo(void* destination, std::uint32_t count) const;

    static std::uint32_t BytesForDuration(std::uint16_t channels, std::uint32_t samples_per_sec,
                                          std::uint16_t bits_per_sample, std::uint32_t ms);
    // Rounds up past the next 2.5 ms block boundary (a value on a boundary gains a block).
    static std::uint32_t RoundUpToBlock(std::uint16_t channels, std::uint32_t samples_per_sec,
                                        std::uint16_t bits_per_sample, std::uint32_t bytes);

    // The 18 bytes of the format record as stored in a file.
    static std::array<std::uint8_t, 18> EncodeFormat(const WaveFormat& format);
    static WaveFormat DecodeFormat(const std::uint8_t* bytes18);

    const WaveFormat& format() const { return format_; }
    void set_format(const WaveFormat& format) { format_ = format; }
    std::uint8_t* data() { return data_; }
    const std::uint8_t* data() const { return data_; }
    std::uint32_t capacity() const { return capacity_; }
    std::uint32_t length() const { return length_; }
    void set_length(std::uint32_t length);  // never past capacity

    // In attribute mode: the attribute text read from the file, converted to UTF-8.
    std::string AttributeText() const;

    // The byte that means silence in this format: 0x80 for 8-bit samples, else 0x00.
    std::uint8_t SilenceByte() const;

protected:
    WaveFormat format_;
    std::uint8_t* data_ = nullptr;
    std::uint32_t capacity_ = 0;
    std::uint32_t length_ = 0;
};

}  // namespace kotar
