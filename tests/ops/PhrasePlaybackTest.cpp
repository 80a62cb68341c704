// SPDX-License-Identifier: GPL-3.0-or-later
// The playable form of a phrase file: the mu-law WAV header before the phrase image.
#include <gtest/gtest.h>

#include <vector>

#include "TempDir.h"
#include "ops/PhrasePlayback.h"
#include "ops/PhraseTransfer.h"

namespace kotar {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::ReadBytes;
using test::WriteBytes;

TEST(PhrasePlaybackTest, Header_IsMuLawMono8000HzWith131072DataBytes) {
    const Bytes expected = {
        'R',  'I',  'F',  'F',  0x24, 0x00, 0x02, 0x00, 'W', 'A', 'V', 'E',  // RIFF, 131108
        'f',  'm',  't',  ' ',  0x10, 0x00, 0x00, 0x00,                      // fmt, 16
        0x07, 0x00, 0x01, 0x00,                                              // mu-law, mono
        0x40, 0x1F, 0x00, 0x00, 0x40, 0x1F, 0x00, 0x00,                      // 8000, 8000
        0x01, 0x00, 0x08, 0x00,                                              // align 1, 8 bits
        'd',  'a',  't',  'a',  0x00, 0x00, 0x02, 0x00,                      // data, 131072
    };
    const auto header = PhraseImageWavHeader();
    EXPECT_EQ(Bytes(header.begin(), header.end()), expected);
}

TEST(PhrasePlaybackTest, PlayFile_IsHeaderAndImageInTheScratchFolder) {
    test::TempDir dir;
    Bytes image(kPhraseFileBytes);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 13);
    WriteBytes(dir / "04.snd", image);
    const std::filesystem::path play = PlayFilePath(dir / "TEMP" / "kotar-abcdef");
    EXPECT_EQ(play, dir / "TEMP" / "kotar-abcdef" / "play.ulw");

    ASSERT_TRUE(WriteMuLawPlayFile(dir / "04.snd", play));
    const Bytes written = ReadBytes(play);
    ASSERT_EQ(written.size(), 44 + kPhraseFileBytes);
    const auto header = PhraseImageWavHeader();
    EXPECT_TRUE(std::equal(header.begin(), header.end(), written.begin()));
    EXPECT_TRUE(std::equal(image.begin(), image.end(), written.begin() + 44));
}

TEST(PhrasePlaybackTest, PlayFile_RefusesMissingAndWrongSizedFiles) {
    test::TempDir dir;
    const std::filesystem::path play = PlayFilePath(dir.path());
    EXPECT_FALSE(WriteMuLawPlayFile(dir / "missing.snd", play));
    EXPECT_FALSE(std::filesystem::exists(play));
    WriteBytes(dir / "short.snd", Bytes(kPhraseFileBytes - 1, 0x55));
    WriteBytes(dir / "long.snd", Bytes(kPhraseFileBytes + 1, 0x55));
    EXPECT_FALSE(WriteMuLawPlayFile(dir / "short.snd", play));
    EXPECT_FALSE(WriteMuLawPlayFile(dir / "long.snd", play));
    EXPECT_FALSE(std::filesystem::exists(play));
}

}  // namespace
}  // namespace kotar
