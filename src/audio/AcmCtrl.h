// SPDX-License-Identifier: GPL-3.0-or-later
// CAcmCtrl is the wave format converter: it decodes a buffer or WAV file, mixes down,
// resamples and encodes G.711 mu-law (libsndfile, libsoxr and our own mu-law codec).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "audio/WaveFile.h"
#include "common/Prompter.h"

namespace kotar {

// Which fields of the requested target format are fixed; the others follow the source.
inline constexpr std::uint32_t kSuggestFormatTag = 0x00010000;
inline constexpr std::uint32_t kSuggestChannels = 0x00020000;
inline constexpr std::uint32_t kSuggestSamplesPerSec = 0x00040000;
inline constexpr std::uint32_t kSuggestBitsPerSample = 0x00080000;
inline constexpr std::uint32_t kSuggestAll = 0x000F0000;

// Converts one whole wave buffer (the inherited buffer, the source) into another format (the
// target) in one pass: PCM 16-bit to G.711 mu-law; any WAV encoding libsndfile decodes to PCM
// 16-bit; down-mix to mono and band-limited resampling (libsoxr) to another rate.
class CAcmCtrl : public CWaveFile {
public:
    // From a buffer (copied): the target is allocated rounded up past the next 2.5 ms block.
    CAcmCtrl(std::uint16_t format_tag, std::uint16_t channels, std::uint32_t samples_per_sec,
             std::uint16_t bits_per_sample, std::uint32_t suggest_flags, const CWaveFile& source,
             Prompter& prompter);
    // From a WAV file read in audio mode (message 110 on failure): the target is allocated
    // exactly. Both constructors show 111 when the conversion cannot be opened, 109 when the
    // target cannot be allocated, and raise UserAbort after the message.
    CAcmCtrl(std::uint16_t format_tag, std::uint16_t channels, std::uint32_t samples_per_sec,
             std::uint16_t bits_per_sample, std::uint32_t suggest_flags, const std::string& path,
             Prompter& prompter);
    ~CAcmCtrl() override;

    // Converts the whole source block into the target block. 1 on success, 0 on failure (the
    // target then keeps its zero fill). The target's length stays its capacity; a tail the
    // conversion did not reach keeps its zero fill.
    int Convert();
    void UnprepareHeader();
    void CloseStream();
    int SaveTarget(const std::string& path, const std::string& attribute) const;

    CWaveFile& target() { return target_; }
    const CWaveFile& target() const { return target_; }
    std::uint32_t suggest_flags() const { return suggest_flags_; }

    struct Stream;  // the open conversion (decoder handles, chosen steps)

private:
    void Open(std::uint16_t format_tag, std::uint16_t channels, std::uint32_t samples_per_sec,
              std::uint16_t bits_per_sample, const std::string* path, bool round_up,
              Prompter& prompter);
    bool OpenStream(const std::string* path);
    std::uint32_t TargetSize() const;

    CWaveFile target_;
    std::unique_ptr<Stream> stream_;
    std::uint32_t suggest_flags_ = 0;
    bool header_prepared_ = false;
};

}  // namespace kotar
