// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/ImportChain.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "audio/CodecLibraries.h"
#include "audio/SampleConversion.h"
#include "audio/WavSource.h"
#include "common/Messages.h"
#include "common/UserAbort.h"

namespace kotar {
namespace {

constexpr std::uint32_t kRecordingRateHz = 8000;
// Largest result: a header announcing absurd lengths, or a very low rate, must not ask for
// gigabytes.
constexpr std::uint64_t kMaxResultBytes = 256u * 1024 * 1024;
// Decoded 16-bit source bytes per block: small enough to stay in the cache.
constexpr std::size_t kBlockBytes = 64 * 1024;

[[noreturn]] void Fail(Prompter& prompter, int message_id) {
    prompter.ShowMessage(message_id, MessageIcon::Exclamation);
    throw UserAbort();
}

void OpenSource(WavSource& source, const std::string& path, Prompter& prompter) {
    switch (source.Open(path, kMaxImportDataBytes)) {
        case WavSource::Status::kOpened:
            return;
        case WavSource::Status::kUnreadable:
            Fail(prompter, kMsgCannotOpenSound);
        case WavSource::Status::kTooLarge:
            prompter.ShowText(kImportTooLargeText, "", MessageIcon::Exclamation);
            throw UserAbort();
        case WavSource::Status::kUndecodable:
            Fail(prompter, kMsgCannotOpenStream);
    }
}

// A mono source at the recording rate: its 16-bit samples are the result.
void CopyMono(WavSource& source, std::uint8_t* out) {
    constexpr std::size_t kBlockFrames = kBlockBytes / 2;
    for (std::uint64_t left = source.frames(); left > 0;) {
        const std::size_t got =
            source.Read(out, static_cast<std::size_t>(std::min<std::uint64_t>(left, kBlockFrames)));
        if (got == 0)
            return;  // fewer frames than announced: the rest stays silent
        out += 2 * got;
        left -= got;
    }
}

// Mixes down block by block and, when the rates differ, resamples. False on a resampler
// error.
bool MixAndResample(WavSource& source, Resampler* resampler, Sample16Writer& writer) {
    const auto channels = static_cast<std::size_t>(source.channels());
    const std::size_t block_frames = std::max<std::size_t>(1, kBlockBytes / (2 * channels));
    std::vector<std::uint8_t> block(block_frames * 2 * channels);
    std::vector<float> mono(block_frames);
    bool ended = false;
    for (std::uint64_t left = source.frames(); left > 0 && !writer.full();) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(left, block_frames));
        std::size_t got = ended ? 0 : source.Read(block.data(), want);
        if (got == 0) {
            // Fewer frames than announced: the rest is silence, as in a zero-filled source.
            if (resampler == nullptr)
                break;
            if (!ended)
                std::fill(mono.begin(), mono.end(), 0.0f);
            ended = true;
            got = want;
        } else {
            MixToMono(block.data(), got, source.channels(), mono.data());
        }
        if (resampler != nullptr) {
            if (!resampler->Process(mono.data(), got, writer))
                return false;
        } else {
            writer.Put(mono.data(), got);
        }
        left -= got;
    }
    return resampler == nullptr || writer.full() || resampler->Flush(writer);
}

}  // namespace

std::unique_ptr<CWaveFile> ConvertToRecordingFormat(const std::string& path, Prompter& prompter) {
    WavSource source;
    OpenSource(source, path, prompter);

    const bool resample = source.rate() != kRecordingRateHz;
    std::unique_ptr<SoxrLibrary> soxr;
    std::optional<Resampler> resampler;
    if (resample) {
        soxr = SoxrLibrary::Load();
        if (soxr)
            resampler.emplace(*soxr, source.rate(), kRecordingRateHz, 1);
        if (!resampler || !resampler->ok())
            Fail(prompter, kMsgCannotOpenStream);
    }
    // Rounded up: never fewer frames than the resampler makes.
    const std::uint64_t frames =
        resample ? (source.frames() * kRecordingRateHz + source.rate() - 1) / source.rate()
                 : source.frames();
    if (frames == 0 || frames * 2 > kMaxResultBytes)
        Fail(prompter, kMsgCannotOpenStream);
    const std::uint32_t bytes =
        CWaveFile::RoundUpToBlock(1, kRecordingRateHz, 16, static_cast<std::uint32_t>(frames * 2));
    // Zero-filled, so the part no conversion reaches is silence.
    auto result = std::make_unique<CWaveFile>(kFormatPcm, 1, kRecordingRateHz, 16, bytes, prompter);
    result->set_length(bytes);

    if (!resample && source.channels() == 1) {
        CopyMono(source, result->data());
    } else {
        Sample16Writer writer(result->data(), bytes / 2);
        if (!MixAndResample(source, resample ? &*resampler : nullptr, writer))
            Fail(prompter, kMsgConversionFailed);
    }
    if (source.failed())
        Fail(prompter, kMsgCannotOpenSound);
    return result;
}

}  // namespace kotar
