// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/WavSource.h"

#include <cstring>

#include "audio/MuLaw.h"
#include "audio/SampleConversion.h"
#include "audio/WaveFile.h"
#include "common/FileRead.h"
#include "common/Utf8Path.h"

namespace kotar {
namespace {

constexpr std::uint16_t kFormatFloat = 3;

// libsndfile's scaling of integer samples to floats (full scale 1.0), kept so that a file
// read here gives the very samples it gives when libsndfile decodes it.
constexpr float kInt32ToFloat = 1.0f / 2147483648.0f;

std::int32_t GetS32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
        (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24));
}

// A 24-bit sample in the top three bytes of an int, as libsndfile holds it.
std::int32_t GetS24High(const std::uint8_t* p) {
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(p[0]) << 8) |
                                     (static_cast<std::uint32_t>(p[1]) << 16) |
                                     (static_cast<std::uint32_t>(p[2]) << 24));
}

}  // namespace

WavSource::WavSource() = default;
WavSource::~WavSource() = default;

WavSource::Status WavSource::Open(const std::string& path, std::uint64_t max_data_bytes) {
    file_.reset(OpenFile(PathFromUtf8(path), "rb"));
    if (!file_)
        return Status::kUnreadable;
    // Sample data is what the file holds, as libsndfile counts it.
    const auto data = LocateWavData(file_.get(), DataChunkEnd::kFileEnd);
    if (!data)
        return Status::kUnreadable;
    if (data->bytes > max_data_bytes)
        return Status::kTooLarge;
    const WaveFormat& format = data->format;
    const unsigned sample_bytes = ChooseDirectDecoder(format.format_tag, format.bits_per_sample);
    if (sample_bytes > 0 && format.channels > 0 &&
        format.block_align == format.channels * sample_bytes) {
        channels_ = format.channels;
        rate_ = format.samples_per_sec;
        bytes_per_frame_ = format.block_align;
        frames_ = frames_left_ = data->bytes / format.block_align;
        if (std::fseek(file_.get(), static_cast<long>(data->offset), SEEK_SET) != 0)
            return Status::kUnreadable;
    } else {
        // libsndfile reads the file itself, with its whole format chunk (as ADPCM and GSM
        // need).
        file_.reset();
        if (!OpenSndFile(path))
            return Status::kUndecodable;
    }
    return rate_ > 0 && channels_ > 0 ? Status::kOpened : Status::kUndecodable;
}

unsigned WavSource::ChooseDirectDecoder(std::uint16_t format_tag, std::uint16_t bits) {
    struct Choice {
        std::uint16_t tag;
        std::uint16_t bits;
        Decoder decoder;
    };
    static constexpr Choice kChoices[] = {
        {kFormatPcm, 8, Decoder::kPcm8},       {kFormatPcm, 16, Decoder::kPcm16},
        {kFormatPcm, 24, Decoder::kPcm24},     {kFormatPcm, 32, Decoder::kPcm32},
        {kFormatFloat, 32, Decoder::kFloat32}, {kFormatMuLaw, 8, Decoder::kMuLaw},
    };
    for (const Choice& choice : kChoices) {
        if (choice.tag == format_tag && choice.bits == bits) {
            decoder_ = choice.decoder;
            return bits / 8u;
        }
    }
    return 0;
}

bool WavSource::OpenSndFile(const std::string& path) {
    sndfile_ = SndFileLibrary::Load();
    if (!sndfile_)
        return false;
    SF_INFO info{};
    SNDFILE* file = sndfile_->OpenForReading(PathFromUtf8(path), &info);
    if (file == nullptr)
        return false;
    sound_file_ = std::unique_ptr<SNDFILE, decltype(&sf_close)>(file, sndfile_->close);
    if (info.channels <= 0 || info.samplerate <= 0 || info.frames < 0)
        return false;
    decoder_ = Decoder::kSndFile;
    channels_ = info.channels;
    rate_ = static_cast<std::uint32_t>(info.samplerate);
    frames_ = static_cast<std::uint64_t>(info.frames);
    return true;
}

std::size_t WavSource::Read(std::uint8_t* out, std::size_t max_frames) {
    if (max_frames == 0 || failed_)
        return 0;
    return decoder_ == Decoder::kSndFile ? ReadSndFile(out, max_frames)
                                         : ReadDirect(out, max_frames);
}

std::size_t WavSource::ReadDirect(std::uint8_t* out, std::size_t max_frames) {
    const std::size_t frames =
        static_cast<std::size_t>(std::min<std::uint64_t>(max_frames, frames_left_));
    if (frames == 0)
        return 0;
    const std::size_t bytes = frames * bytes_per_frame_;
    // 16-bit PCM is already what is asked for: straight into the caller's block.
    std::uint8_t* in = out;
    if (decoder_ != Decoder::kPcm16) {
        if (raw_.size() < bytes)
            raw_.resize(bytes);
        in = raw_.data();
    }
    if (std::fread(in, 1, bytes, file_.get()) != bytes) {
        failed_ = true;
        return 0;
    }
    frames_left_ -= frames;
    const std::size_t samples = frames * static_cast<std::size_t>(channels_);
    switch (decoder_) {
        case Decoder::kPcm16:
        case Decoder::kSndFile:
            break;
        case Decoder::kPcm8:
            for (std::size_t i = 0; i < samples; ++i)
                PutSample16(out + 2 * i, static_cast<std::int16_t>((in[i] - 128) * 256));
            break;
        case Decoder::kMuLaw:
            for (std::size_t i = 0; i < samples; ++i)
                PutSample16(out + 2 * i, MuLawDecode(in[i]));
            break;
        case Decoder::kPcm24:
            for (std::size_t i = 0; i < samples; ++i) {
                const float x = static_cast<float>(GetS24High(in + 3 * i)) * kInt32ToFloat;
                PutSample16(out + 2 * i, ToSample16(x));
            }
            break;
        case Decoder::kPcm32:
            for (std::size_t i = 0; i < samples; ++i) {
                const float x = static_cast<float>(GetS32(in + 4 * i)) * kInt32ToFloat;
                PutSample16(out + 2 * i, ToSample16(x));
            }
            break;
        case Decoder::kFloat32:
            for (std::size_t i = 0; i < samples; ++i) {
                float x;
                std::uint32_t bits_le = static_cast<std::uint32_t>(GetS32(in + 4 * i));
                std::memcpy(&x, &bits_le, sizeof x);
                PutSample16(out + 2 * i, ToSample16(x));
            }
            break;
    }
    return frames;
}

std::size_t WavSource::ReadSndFile(std::uint8_t* out, std::size_t max_frames) {
    const std::size_t samples = max_frames * static_cast<std::size_t>(channels_);
    if (floats_.size() < samples)
        floats_.resize(samples);
    const sf_count_t got = sndfile_->readf_float(sound_file_.get(), floats_.data(),
                                                 static_cast<sf_count_t>(max_frames));
    if (got <= 0)
        return 0;
    const std::size_t frames = static_cast<std::size_t>(got);
    for (std::size_t i = 0; i < frames * static_cast<std::size_t>(channels_); ++i)
        PutSample16(out + 2 * i, ToSample16(floats_[i]));
    return frames;
}

}  // namespace kotar
