// SPDX-License-Identifier: GPL-3.0-or-later
// CMkFile is the phrase file builder: it lays converted mu-law phrases into the device's
// 131072-byte phrase image.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "common/Prompter.h"

namespace kotar {

inline constexpr std::uint32_t kPhraseImageBytes = 131072;
inline constexpr std::uint32_t kPhraseAreaBytes = 65536;

// Builds a device phrase file: the mu-law samples of one or two converted phrases placed in a
// 131072-byte image of two 65536-byte areas, every uncovered byte 0xFF.
class CMkFile {
public:
    CMkFile();
    virtual ~CMkFile() = default;

    // Each make operation loads its source(s) and writes the destination: 1 when written, 0
    // when it could not be (an existing destination is then intact). A source that cannot be
    // read shows message 110 and raises UserAbort; nothing is written then.
    int MakeFileA(const std::string& source, const std::string& destination, Prompter& prompter);
    int MakeFileB(const std::string& source, const std::string& destination, Prompter& prompter);
    int MakeFileContinuous(const std::string& source, const std::string& destination,
                           Prompter& prompter);
    int MakeFileSeparate(const std::string& source_a, const std::string& source_b,
                         const std::string& destination, Prompter& prompter);

    // Fills the image with 0xFF and copies at most max_bytes of the source's data chunk to
    // offset.
    void LoadPhrase(const std::string& source, std::uint32_t offset, std::uint32_t max_bytes,
                    Prompter& prompter);
    // Both sources are read before either is copied.
    void LoadPhrasePair(const std::string& source_a, const std::string& source_b,
                        std::uint32_t offset_a, std::uint32_t offset_b, std::uint32_t max_a,
                        std::uint32_t max_b, Prompter& prompter);
    // Replaces the destination with the whole image, atomically. 1 or 0.
    int WriteImage(const std::string& destination) const;

    const std::array<std::uint8_t, kPhraseImageBytes>& image() const { return image_; }

private:
    void Place(const std::uint8_t* data, std::uint32_t length, std::uint32_t offset,
               std::uint32_t max_bytes);

    std::array<std::uint8_t, kPhraseImageBytes> image_;
};

}  // namespace kotar
