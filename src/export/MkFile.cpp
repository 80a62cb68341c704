// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/MkFile.h"

#include <algorithm>
#include <cstring>

#include "audio/WaveFile.h"
#include "common/AtomicFile.h"
#include "common/Utf8Path.h"

namespace kotar {

CMkFile::CMkFile() {
    image_.fill(0xFF);
}

void CMkFile::Place(const std::uint8_t* data, std::uint32_t length, std::uint32_t offset,
                    std::uint32_t max_bytes) {
    if (offset >= kPhraseImageBytes || data == nullptr)
        return;
    // Cut at the maximum and, whatever the caller asks, at the end of the image.
    const std::uint32_t count = std::min({length, max_bytes, kPhraseImageBytes - offset});
    std::memcpy(image_.data() + offset, data, count);
}

void CMkFile::LoadPhrase(const std::string& source, std::uint32_t offset, std::uint32_t max_bytes,
                         Prompter& prompter) {
    image_.fill(0xFF);
    CWaveFile phrase(source, CWaveFile::kAudioMode, prompter);
    Place(phrase.data(), phrase.length(), offset, max_bytes);
}

void CMkFile::LoadPhrasePair(const std::string& source_a, const std::string& source_b,
                             std::uint32_t offset_a, std::uint32_t offset_b, std::uint32_t max_a,
                             std::uint32_t max_b, Prompter& prompter) {
    image_.fill(0xFF);
    CWaveFile phrase_a(source_a, CWaveFile::kAudioMode, prompter);
    CWaveFile phrase_b(source_b, CWaveFile::kAudioMode, prompter);
    Place(phrase_a.data(), phrase_a.length(), offset_a, max_a);
    Place(phrase_b.data(), phrase_b.length(), offset_b, max_b);
}

int CMkFile::WriteImage(const std::string& destination) const {
    return WriteFileAtomically(PathFromUtf8(destination), std::span<const std::uint8_t>(image_))
               ? 1
               : 0;
}

int CMkFile::MakeFileA(const std::string& source, const std::string& destination,
                       Prompter& prompter) {
    LoadPhrase(source, 0, kPhraseAreaBytes, prompter);
    return WriteImage(destination);
}

int CMkFile::MakeFileB(const std::string& source, const std::string& destination,
                       Prompter& prompter) {
    LoadPhrase(source, kPhraseAreaBytes, kPhraseAreaBytes, prompter);
    return WriteImage(destination);
}

int CMkFile::MakeFileContinuous(const std::string& source, const std::string& destination,
                                Prompter& prompter) {
    LoadPhrase(source, 0, kPhraseImageBytes, prompter);
    return WriteImage(destination);
}

int CMkFile::MakeFileSeparate(const std::string& source_a, const std::string& source_b,
                              const std::string& destination, Prompter& prompter) {
    LoadPhrasePair(source_a, source_b, 0, kPhraseAreaBytes, kPhraseAreaBytes, kPhraseAreaBytes,
                   prompter);
    return WriteImage(destination);
}

}  // namespace kotar
