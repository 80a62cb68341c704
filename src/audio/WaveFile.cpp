// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/WaveFile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "common/AtomicFile.h"
#include "common/Cp932.h"
#include "common/FileRead.h"
#include "common/Messages.h"
#include "common/UserAbort.h"
#include "common/Utf8Path.h"

namespace kotar {
namespace {

constexpr std::uint32_t kFormatRecordBytes = 18;
constexpr std::uint32_t kPcmFormatRecordBytes = 16;

// Blocks come from calloc: a large block is then fresh zero pages from the system, which
// nobody has to clear again (a converter writes into them right away).
std::uint8_t* AllocateZeroed(std::size_t bytes) {
    // One byte at least, so that an empty block is still a block.
    return static_cast<std::uint8_t*>(std::calloc(std::max<std::size_t>(bytes, 1), 1));
}

// A block that is filled in full right away (a copy, a whole data chunk): zeroing it first
// would only cost time.
std::uint8_t* AllocateForOverwrite(std::size_t bytes) {
    auto* block = static_cast<std::uint8_t*>(std::malloc(std::max<std::size_t>(bytes, 1)));
    if (block != nullptr && bytes == 0)
        block[0] = 0;
    return block;
}

[[noreturn]] void FailWith(Prompter& prompter, int message_id) {
    prompter.ShowMessage(message_id, MessageIcon::Exclamation);
    throw UserAbort();
}

std::uint16_t GetU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t GetU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void PutU16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void PutU32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void AppendTag(std::vector<std::uint8_t>& out, const char* tag) {
    out.insert(out.end(), tag, tag + 4);
}

void AppendU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    std::uint8_t b[4];
    PutU32(b, v);
    out.insert(out.end(), b, b + 4);
}

struct Chunk {
    std::uint64_t data_offset = 0;
    std::uint32_t size = 0;
    std::uint64_t end() const { return data_offset + size + (size & 1u); }
};

// Reads the chunks of a RIFF file with every offset checked against the file size, so that no
// chunk size, however wrong, makes a read run past the file or past a buffer.
class RiffReader {
public:
    RiffReader(std::FILE* file, std::uint64_t file_size) : file_(file), file_size_(file_size) {}

    bool ReadAt(std::uint64_t offset, void* destination, std::size_t count) {
        if (offset > file_size_ || count > file_size_ - offset)
            return false;
        if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0)
            return false;
        return std::fread(destination, 1, count, file_) == count;
    }

    // Searches forward from offset (up to limit) for the chunk id, walking over other chunks;
    // with list_type, only a LIST/RIFF chunk of that type counts. Every chunk must lie wholly
    // inside the file, except that with clip_found the chunk found ends with the file.
    std::optional<Chunk> Find(std::uint64_t offset, std::uint64_t limit, const char* id,
                              const char* list_type = nullptr, bool clip_found = false) {
        while (offset + 8 <= limit) {
            std::uint8_t header[8];
            if (!ReadAt(offset, header, sizeof header))
                return std::nullopt;
            Chunk chunk{offset + 8, GetU32(header + 4)};
            const bool found = std::memcmp(header, id, 4) == 0;
            if (chunk.size > file_size_ - chunk.data_offset) {
                if (!found || !clip_found)
                    return std::nullopt;
                chunk.size = static_cast<std::uint32_t>(file_size_ - chunk.data_offset);
            }
            if (found) {
                if (list_type == nullptr)
                    return chunk;
                char type[4];
                if (chunk.size >= 4 && ReadAt(chunk.data_offset, type, 4) &&
                    std::memcmp(type, list_type, 4) == 0) {
                    return chunk;
                }
            }
            offset = chunk.end();
        }
        return std::nullopt;
    }

    std::uint64_t file_size() const { return file_size_; }

private:
    std::FILE* file_;
    std::uint64_t file_size_;
};

std::uint64_t FileSize(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0)
        return 0;
    const long end = std::ftell(file);
    return end > 0 ? static_cast<std::uint64_t>(end) : 0;
}

struct LocatedData {
    WaveFormat format;
    Chunk data;
};

// The format record and the data chunk after it.
std::optional<LocatedData> LocateData(RiffReader& reader, DataChunkEnd data_end) {
    // The RIFF size itself is never used to read: streamed writers often leave it wrong, and
    // every chunk inside is checked against the file size anyway.
    std::uint8_t riff[12];
    if (!reader.ReadAt(0, riff, sizeof riff) || std::memcmp(riff, "RIFF", 4) != 0 ||
        std::memcmp(riff + 8, "WAVE", 4) != 0) {
        return std::nullopt;
    }
    const std::uint64_t end = reader.file_size();
    auto fmt = reader.Find(12, end, "fmt ");
    if (!fmt || fmt->size < kPcmFormatRecordBytes)
        return std::nullopt;
    std::uint8_t record[kFormatRecordBytes] = {};
    // A longer record (an extensible header) gives its first 18 bytes.
    std::uint32_t record_bytes = std::min(fmt->size, kFormatRecordBytes);
    if (!reader.ReadAt(fmt->data_offset, record, record_bytes))
        return std::nullopt;
    auto data = reader.Find(fmt->end(), end, "data", nullptr, data_end == DataChunkEnd::kFileEnd);
    if (!data)
        return std::nullopt;
    return LocatedData{CWaveFile::DecodeFormat(record), *data};
}

}  // namespace

std::optional<WavDataChunk> LocateWavData(std::FILE* file, DataChunkEnd data_end) {
    RiffReader reader(file, FileSize(file));
    auto located = LocateData(reader, data_end);
    if (!located)
        return std::nullopt;
    return WavDataChunk{located->format, located->data.data_offset, located->data.size};
}

CWaveFile::CWaveFile() = default;

CWaveFile::CWaveFile(std::uint16_t format_tag, std::uint16_t channels,
                     std::uint32_t samples_per_sec, std::uint16_t bits_per_sample,
                     std::uint32_t bytes, Prompter& prompter) {
    SetFormat(format_tag, channels, samples_per_sec, bits_per_sample);
    data_ = AllocateZeroed(bytes);
    if (data_ == nullptr)
        FailWith(prompter, kMsgOutOfMemory);
    capacity_ = bytes;
}

CWaveFile::CWaveFile(const CWaveFile& other)
    : format_(other.format_), capacity_(other.capacity_), length_(other.length_) {
    if (other.data_ != nullptr) {
        data_ = AllocateForOverwrite(other.capacity_);
        if (data_ == nullptr)
            throw std::bad_alloc();
        std::memcpy(data_, other.data_, other.capacity_);
    }
}

CWaveFile::CWaveFile(const CWaveFile& other, Prompter& prompter)
    : format_(other.format_), capacity_(other.capacity_), length_(other.length_) {
    if (other.data_ != nullptr) {
        data_ = AllocateForOverwrite(other.capacity_);
        if (data_ == nullptr)
            FailWith(prompter, kMsgOutOfMemory);
        std::memcpy(data_, other.data_, other.capacity_);
    }
}

CWaveFile::CWaveFile(const std::string& path, int mode, Prompter& prompter) {
    FileHandle file(OpenFile(PathFromUtf8(path), "rb"));
    if (!file)
        FailWith(prompter, kMsgCannotOpenSound);
    RiffReader reader(file.get(), FileSize(file.get()));
    const std::uint64_t end = reader.file_size();

    auto fail = [&]() {
        std::free(data_);
        data_ = nullptr;
        capacity_ = length_ = 0;
        file.reset();
        FailWith(prompter, kMsgCannotOpenSound);
    };

    auto located = LocateData(reader, DataChunkEnd::kDeclared);
    if (!located)
        fail();
    format_ = located->format;
    const Chunk* data = &located->data;

    if (mode != kAttributeMode) {
        if (data->size > kMaxAudioDataBytes)
            fail();
        data_ = AllocateForOverwrite(data->size);
        if (data_ == nullptr)
            fail();
        capacity_ = length_ = data->size;
        if (!reader.ReadAt(data->data_offset, data_, data->size))
            fail();
        return;
    }

    length_ = data->size;
    auto list = reader.Find(data->end(), end, "LIST", "INFO");
    if (!list)
        fail();
    std::uint64_t list_end = list->data_offset + list->size;
    auto atrb = reader.Find(list->data_offset + 4, list_end, "atrb");
    if (!atrb || atrb->data_offset + atrb->size > list_end)
        fail();
    data_ = AllocateZeroed(static_cast<std::size_t>(atrb->size) + 1);
    if (data_ == nullptr)
        fail();
    capacity_ = atrb->size;
    if (!reader.ReadAt(atrb->data_offset, data_, atrb->size))
        fail();
}

CWaveFile::~CWaveFile() {
    std::free(data_);
}

void CWaveFile::SetFormat(std::uint16_t format_tag, std::uint16_t channels,
                          std::uint32_t samples_per_sec, std::uint16_t bits_per_sample) {
    format_ = WaveFormat{};
    format_.format_tag = format_tag;
    format_.channels = channels;
    format_.samples_per_sec = samples_per_sec;
    format_.bits_per_sample = bits_per_sample;
    format_.block_align = static_cast<std::uint16_t>(channels * (bits_per_sample / 8));
    format_.avg_bytes_per_sec = samples_per_sec * (bits_per_sample / 8u);
    format_.cb_size = 0;
}

void CWaveFile::Allocate(std::uint32_t bytes, Prompter& prompter) {
    if (data_ != nullptr) {
        // The block is fixed for the life of the object; replacing it would break every
        // pointer into it.
        throw std::logic_error("CWaveFile::Allocate on an object that has a block");
    }
    data_ = AllocateZeroed(bytes);
    if (data_ == nullptr)
        FailWith(prompter, kMsgOutOfMemory);
    capacity_ = length_ = bytes;
}

int CWaveFile::Save(const std::string& path, const std::string& attribute,
                    Durability durability) const {
    // An attribute-mode object counts the sound's length but holds only the text.
    const std::vector<std::uint8_t> out =
        FileImage(data_ == nullptr ? 0 : std::min(length_, capacity_), attribute);
    if (durability == Durability::kDurable) {
        return WriteFileAtomically(PathFromUtf8(path), std::span<const std::uint8_t>(out)) ? 1 : 0;
    }
    return ReplaceFileQuickly(PathFromUtf8(path), std::span<const std::uint8_t>(out)) ? 1 : 0;
}

std::vector<std::uint8_t> CWaveFile::FileImage(std::uint32_t data_bytes,
                                               const std::string& attribute) const {
    data_bytes = data_ == nullptr ? 0 : std::min(data_bytes, capacity_);
    const std::uint32_t data_pad = data_bytes & 1u;

    std::vector<std::uint8_t> out;
    out.reserve(std::size_t{46} + data_bytes + data_pad + 64);
    AppendTag(out, "RIFF");
    AppendU32(out, 4 + 26 + 8 + data_bytes + data_pad);
    AppendTag(out, "WAVE");
    AppendTag(out, "fmt ");
    AppendU32(out, kFormatRecordBytes);
    auto record = EncodeFormat(format_);
    out.insert(out.end(), record.begin(), record.end());
    AppendTag(out, "data");
    AppendU32(out, data_bytes);
    if (data_bytes > 0)
        out.insert(out.end(), data_, data_ + data_bytes);
    if (data_pad)
        out.push_back(0);

    if (!attribute.empty()) {
        const std::string text = Utf8ToCp932(attribute);
        const auto text_bytes = static_cast<std::uint32_t>(text.size());
        const std::uint32_t text_pad = text_bytes & 1u;
        AppendTag(out, "LIST");
        AppendU32(out, 4 + 8 + text_bytes + text_pad);
        AppendTag(out, "INFO");
        AppendTag(out, "atrb");
        AppendU32(out, text_bytes);
        out.insert(out.end(), text.begin(), text.end());
        if (text_pad)
            out.push_back(0);
    }
    return out;
}

int CWaveFile::CopyTo(void* destination, std::uint32_t count) const {
    if (data_ == nullptr)
        return 0;
    std::memcpy(destination, data_, std::min(count, capacity_));
    return 1;
}

std::uint32_t CWaveFile::BytesForDuration(std::uint16_t channels, std::uint32_t samples_per_sec,
                                          std::uint16_t bits_per_sample, std::uint32_t ms) {
    // Wide arithmetic: the product passes 32 bits for long durations at high rates.
    std::uint64_t bytes =
        std::uint64_t{channels} * (bits_per_sample / 8u) * samples_per_sec * ms / 1000u;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(bytes, UINT32_MAX));
}

std::uint32_t CWaveFile::RoundUpToBlock(std::uint16_t channels, std::uint32_t samples_per_sec,
                                        std::uint16_t bits_per_sample, std::uint32_t bytes) {
    std::uint64_t block = std::uint64_t{channels} * (bits_per_sample / 8u) * samples_per_sec / 400u;
    if (block == 0)
        return bytes;  // a format without whole bytes per 2.5 ms has no blocks
    std::uint64_t rounded = block * (bytes / block + 1);
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(rounded, UINT32_MAX));
}

std::array<std::uint8_t, 18> CWaveFile::EncodeFormat(const WaveFormat& format) {
    std::array<std::uint8_t, 18> b{};
    PutU16(&b[0], format.format_tag);
    PutU16(&b[2], format.channels);
    PutU32(&b[4], format.samples_per_sec);
    PutU32(&b[8], format.avg_bytes_per_sec);
    PutU16(&b[12], format.block_align);
    PutU16(&b[14], format.bits_per_sample);
    PutU16(&b[16], format.cb_size);
    return b;
}

WaveFormat CWaveFile::DecodeFormat(const std::uint8_t* bytes18) {
    WaveFormat f;
    f.format_tag = GetU16(bytes18);
    f.channels = GetU16(bytes18 + 2);
    f.samples_per_sec = GetU32(bytes18 + 4);
    f.avg_bytes_per_sec = GetU32(bytes18 + 8);
    f.block_align = GetU16(bytes18 + 12);
    f.bits_per_sample = GetU16(bytes18 + 14);
    f.cb_size = GetU16(bytes18 + 16);
    return f;
}

void CWaveFile::set_length(std::uint32_t length) {
    length_ = std::min(length, capacity_);
}

std::string CWaveFile::AttributeText() const {
    if (data_ == nullptr)
        return {};
    const char* text = reinterpret_cast<const char*>(data_);
    return Cp932ToUtf8(std::string_view(text, ::strnlen(text, capacity_)));
}

std::uint8_t CWaveFile::SilenceByte() const {
    return format_.bits_per_sample == 8 ? std::uint8_t{0x80} : std::uint8_t{0x00};
}

}  // namespace kotar
