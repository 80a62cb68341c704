// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/AcmCtrl.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "audio/CodecLibraries.h"
#include "audio/MuLaw.h"
#include "audio/SampleConversion.h"
#include "common/Messages.h"
#include "common/UserAbort.h"
#include "common/Utf8Path.h"

namespace kotar {
namespace {

// Largest target the converter makes; far above what a 1,024,000-byte source can give for
// the importable formats, it only keeps a corrupt header from asking for gigabytes.
constexpr std::uint64_t kMaxTargetBytes = 256u * 1024 * 1024;

struct SndFileCloser {
    decltype(&sf_close) close = nullptr;
    void operator()(SNDFILE* file) const { close(file); }
};
using SndFileHandle = std::unique_ptr<SNDFILE, SndFileCloser>;

// A WAV file held in memory, read by libsndfile through its virtual I/O.
struct MemoryFile {
    std::vector<std::uint8_t> bytes;
    sf_count_t position = 0;

    static sf_count_t Length(void* self) {
        return static_cast<sf_count_t>(static_cast<MemoryFile*>(self)->bytes.size());
    }
    static sf_count_t Seek(sf_count_t offset, int whence, void* self) {
        auto* f = static_cast<MemoryFile*>(self);
        sf_count_t base = whence == SEEK_CUR   ? f->position
                          : whence == SEEK_END ? static_cast<sf_count_t>(f->bytes.size())
                                               : 0;
        f->position =
            std::clamp<sf_count_t>(base + offset, 0, static_cast<sf_count_t>(f->bytes.size()));
        return f->position;
    }
    static sf_count_t Read(void* destination, sf_count_t count, void* self) {
        auto* f = static_cast<MemoryFile*>(self);
        sf_count_t available = static_cast<sf_count_t>(f->bytes.size()) - f->position;
        sf_count_t n = std::clamp<sf_count_t>(count, 0, available);
        std::memcpy(destination, f->bytes.data() + f->position, static_cast<std::size_t>(n));
        f->position += n;
        return n;
    }
    static sf_count_t Write(const void*, sf_count_t, void*) { return 0; }
    static sf_count_t Tell(void* self) { return static_cast<MemoryFile*>(self)->position; }
};

// Keeps the resampled frames that fit the target; the rest is dropped.
class FloatCollector : public Resampler::Sink {
public:
    FloatCollector(std::size_t frames, std::size_t channels)
        : channels_(channels), limit_(frames * channels) {
        samples.reserve(limit_);
    }
    bool Take(const float* in, std::size_t frames) override {
        const std::size_t count = std::min(frames * channels_, limit_ - samples.size());
        samples.insert(samples.end(), in, in + count);
        return samples.size() < limit_;
    }

    std::vector<float> samples;

private:
    std::size_t channels_;
    std::size_t limit_;
};

}  // namespace

struct CAcmCtrl::Stream {
    enum class Decoder { kPcm16, kMuLaw, kSndFile };
    Decoder decoder = Decoder::kPcm16;
    int in_channels = 0;
    std::uint32_t in_rate = 0;
    std::uint64_t in_frames = 0;
    int out_channels = 0;
    std::uint32_t out_rate = 0;
    std::uint16_t out_tag = 0;
    // Loaded only for the steps that need them; they outlive `file`.
    std::unique_ptr<SndFileLibrary> sndfile;
    std::unique_ptr<SoxrLibrary> soxr;
    MemoryFile memory;  // must outlive `file` when the source is a buffer
    SndFileHandle file;
    bool consumed = false;

    int out_bytes_per_sample() const { return out_tag == kFormatMuLaw ? 1 : 2; }
};

CAcmCtrl::CAcmCtrl(std::uint16_t format_tag, std::uint16_t channels, std::uint32_t samples_per_sec,
                   std::uint16_t bits_per_sample, std::uint32_t suggest_flags,
                   const CWaveFile& source, Prompter& prompter)
    : CWaveFile(source, prompter), suggest_flags_(suggest_flags) {
    Open(format_tag, channels, samples_per_sec, bits_per_sample, nullptr, true, prompter);
}

CAcmCtrl::CAcmCtrl(std::uint16_t format_tag, std::uint16_t channels, std::uint32_t samples_per_sec,
                   std::uint16_t bits_per_sample, std::uint32_t suggest_flags,
                   const std::string& path, Prompter& prompter)
    : CWaveFile(path, kAudioMode, prompter), suggest_flags_(suggest_flags) {
    Open(format_tag, channels, samples_per_sec, bits_per_sample, &path, false, prompter);
}

CAcmCtrl::~CAcmCtrl() = default;

void CAcmCtrl::Open(std::uint16_t format_tag, std::uint16_t channels, std::uint32_t samples_per_sec,
                    std::uint16_t bits_per_sample, const std::string* path, bool round_up,
                    Prompter& prompter) {
    target_.SetFormat(format_tag, channels, samples_per_sec, bits_per_sample);
    std::uint32_t size = 0;
    if (!OpenStream(path) || (size = TargetSize()) == 0) {
        stream_.reset();
        prompter.ShowMessage(kMsgCannotOpenStream, MessageIcon::Exclamation);
        throw UserAbort();
    }
    if (round_up) {
        size = RoundUpToBlock(channels, samples_per_sec, bits_per_sample, size);
    }
    target_.Allocate(size, prompter);
}

bool CAcmCtrl::OpenStream(const std::string* path) {
    auto stream = std::make_unique<Stream>();
    const WaveFormat& in = format_;
    if (in.format_tag == kFormatPcm && in.bits_per_sample == 16 && in.channels > 0 &&
        in.block_align == in.channels * 2) {
        stream->decoder = Stream::Decoder::kPcm16;
        stream->in_channels = in.channels;
        stream->in_rate = in.samples_per_sec;
        stream->in_frames = capacity_ / in.block_align;
    } else if (in.format_tag == kFormatMuLaw && in.bits_per_sample == 8 && in.channels > 0 &&
               in.block_align == in.channels) {
        stream->decoder = Stream::Decoder::kMuLaw;
        stream->in_channels = in.channels;
        stream->in_rate = in.samples_per_sec;
        stream->in_frames = capacity_ / in.channels;
    } else {
        // Every other encoding goes through libsndfile: from the file itself (its whole format
        // chunk, as ADPCM and GSM need), or from a WAV image of the buffer.
        stream->sndfile = SndFileLibrary::Load();
        if (!stream->sndfile)
            return false;
        const SndFileLibrary& sndfile = *stream->sndfile;
        SF_INFO info{};
        SNDFILE* file = nullptr;
        if (path != nullptr) {
            file = sndfile.OpenForReading(PathFromUtf8(*path), &info);
        } else {
            stream->memory.bytes = FileImage(capacity_, "");
            SF_VIRTUAL_IO io{&MemoryFile::Length, &MemoryFile::Seek, &MemoryFile::Read,
                             &MemoryFile::Write, &MemoryFile::Tell};
            file = sndfile.open_virtual(&io, SFM_READ, &info, &stream->memory);
        }
        if (file == nullptr)
            return false;
        stream->file = SndFileHandle(file, SndFileCloser{sndfile.close});
        if (info.channels <= 0 || info.samplerate <= 0 || info.frames < 0)
            return false;
        stream->decoder = Stream::Decoder::kSndFile;
        stream->in_channels = info.channels;
        stream->in_rate = static_cast<std::uint32_t>(info.samplerate);
        stream->in_frames = static_cast<std::uint64_t>(info.frames);
    }
    if (stream->in_rate == 0)
        return false;

    // Complete the target format: fields that are not fixed follow the source.
    WaveFormat out = target_.format();
    stream->out_tag = out.format_tag;
    if (stream->out_tag != kFormatPcm && stream->out_tag != kFormatMuLaw)
        return false;
    const std::uint16_t out_bits = stream->out_tag == kFormatMuLaw ? 8 : 16;
    if ((suggest_flags_ & kSuggestBitsPerSample) && out.bits_per_sample != out_bits)
        return false;
    stream->out_channels = (suggest_flags_ & kSuggestChannels) ? out.channels : stream->in_channels;
    stream->out_rate =
        (suggest_flags_ & kSuggestSamplesPerSec) ? out.samples_per_sec : stream->in_rate;
    // Channels are kept or mixed down to one; nothing else.
    if (stream->out_channels != stream->in_channels && stream->out_channels != 1)
        return false;
    if (stream->out_rate == 0)
        return false;
    if (stream->out_rate != stream->in_rate) {
        stream->soxr = SoxrLibrary::Load();
        if (!stream->soxr)
            return false;
    }

    const auto channels = static_cast<std::uint16_t>(stream->out_channels);
    target_.SetFormat(stream->out_tag, channels, stream->out_rate, out_bits);
    // SetFormat counts one channel in the byte rate; a completed record counts them all.
    WaveFormat completed = target_.format();
    completed.avg_bytes_per_sec = stream->out_rate * completed.block_align;
    target_.set_format(completed);
    stream_ = std::move(stream);
    return true;
}

std::uint32_t CAcmCtrl::TargetSize() const {
    if (!stream_)
        return 0;
    const Stream& s = *stream_;
    std::uint64_t frames = s.in_frames;
    if (s.out_rate != s.in_rate) {
        // Rounded up: the estimate is never smaller than what the resampler gives.
        frames = (s.in_frames * s.out_rate + s.in_rate - 1) / s.in_rate;
    }
    // The decoded source is held as floats; a header claiming absurd lengths fails here.
    if (s.in_frames * static_cast<std::uint64_t>(s.in_channels) > kMaxTargetBytes / sizeof(float)) {
        return 0;
    }
    const std::uint64_t bytes =
        frames * static_cast<std::uint64_t>(s.out_channels) * s.out_bytes_per_sample();
    if (bytes == 0 || bytes > kMaxTargetBytes)
        return 0;
    return static_cast<std::uint32_t>(bytes);
}

int CAcmCtrl::Convert() {
    if (!stream_ || target_.data() == nullptr)
        return 0;
    Stream& s = *stream_;
    header_prepared_ = true;

    const bool same_shape = s.out_channels == s.in_channels && s.out_rate == s.in_rate;
    if (s.decoder == Stream::Decoder::kPcm16 && same_shape) {
        // Sample for sample: a copy, or the G.711 encoding of every sample.
        const std::size_t count = std::min<std::size_t>(
            static_cast<std::size_t>(s.in_frames) * s.in_channels,
            target_.capacity() / static_cast<std::size_t>(s.out_bytes_per_sample()));
        if (s.out_tag == kFormatPcm) {
            std::memcpy(target_.data(), data_, count * 2);
        } else {
            MuLawEncodeBytes(data_, count, target_.data());
        }
        return 1;
    }

    // 1. Decode the whole source to floats (full scale = 1.0); 16-bit PCM is mixed down to
    //    one channel on the way.
    int channels = s.in_channels;
    std::size_t frames = static_cast<std::size_t>(s.in_frames);
    std::vector<float> samples;
    if (s.decoder == Stream::Decoder::kPcm16 && s.out_channels == 1) {
        samples.resize(frames);
        MixToMono(data_, frames, channels, samples.data());
        channels = 1;
    } else {
        samples.resize(frames * static_cast<std::size_t>(channels));
        switch (s.decoder) {
            case Stream::Decoder::kPcm16:
                for (std::size_t i = 0; i < samples.size(); ++i) {
                    const auto v =
                        static_cast<std::int16_t>(data_[2 * i] | (data_[2 * i + 1] << 8));
                    samples[i] = static_cast<float>(v) / 32768.0f;
                }
                break;
            case Stream::Decoder::kMuLaw:
                for (std::size_t i = 0; i < samples.size(); ++i) {
                    samples[i] = static_cast<float>(MuLawDecode(data_[i])) / 32768.0f;
                }
                break;
            case Stream::Decoder::kSndFile: {
                // A second Convert starts again from the top (a GSM stream cannot seek at all,
                // so it is only rewound when it has been read).
                if (s.consumed && s.sndfile->seek(s.file.get(), 0, SEEK_SET) != 0)
                    return 0;
                s.consumed = true;
                sf_count_t got = s.sndfile->readf_float(s.file.get(), samples.data(),
                                                        static_cast<sf_count_t>(s.in_frames));
                if (got < 0)
                    return 0;
                frames = static_cast<std::size_t>(got);
                break;
            }
        }
    }

    // 2. Mix down to one channel.
    if (s.out_channels == 1 && channels > 1) {
        for (std::size_t f = 0; f < frames; ++f) {
            float sum = 0;
            for (int c = 0; c < channels; ++c)
                sum += samples[f * channels + c];
            samples[f] = sum / static_cast<float>(channels);
        }
        channels = 1;
    }
    samples.resize(frames * channels);

    // 3. Resample, band-limited, to the target rate.
    const std::size_t capacity_frames =
        target_.capacity() / (static_cast<std::size_t>(channels) * s.out_bytes_per_sample());
    if (s.out_rate != s.in_rate) {
        Resampler resampler(*s.soxr, s.in_rate, s.out_rate, static_cast<unsigned>(channels));
        FloatCollector collected(capacity_frames, static_cast<std::size_t>(channels));
        if (!resampler.ok() || !resampler.Process(samples.data(), frames, collected) ||
            !resampler.Flush(collected)) {
            return 0;
        }
        samples.swap(collected.samples);
        frames = samples.size() / channels;
    }

    // 4. Store in the target format; the rest of the block keeps its zero fill.
    const std::size_t count = std::min(frames, capacity_frames) * channels;
    std::uint8_t* target = target_.data();
    if (s.out_tag == kFormatMuLaw) {
        for (std::size_t i = 0; i < count; ++i)
            target[i] = MuLawEncode(ToSample16(samples[i]));
    } else {
        for (std::size_t i = 0; i < count; ++i)
            PutSample16(target + 2 * i, ToSample16(samples[i]));
    }
    return 1;
}

void CAcmCtrl::UnprepareHeader() {
    header_prepared_ = false;
}

void CAcmCtrl::CloseStream() {
    stream_.reset();
}

int CAcmCtrl::SaveTarget(const std::string& path, const std::string& attribute) const {
    return target_.Save(path, attribute);
}

}  // namespace kotar
