// SPDX-License-Identifier: GPL-3.0-or-later
// The import chain converts whole files block by block into the recording format.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>

#include "CodecFixtures.h"
#include "ScriptedPrompter.h"
#include "TempDir.h"
#include "ToneAnalysis.h"
#include "WavBuilder.h"
#include "audio/AcmCtrl.h"
#include "audio/ImportChain.h"
#include "common/UserAbort.h"

namespace kotar {
namespace {

using test::ScriptedPrompter;
using test::TempDir;
using test::WavBuilder;

// The whole file converted at once in two stages: decoded keeping channels and rate, then
// mixed down and resampled.
std::vector<std::uint8_t> WholeFileConversion(const std::string& path, Prompter& prompter) {
    CAcmCtrl stage1(kFormatPcm, 1, 8000, 16, kSuggestFormatTag, path, prompter);
    EXPECT_EQ(stage1.Convert(), 1);
    stage1.CloseStream();
    CAcmCtrl stage2(kFormatPcm, 1, 8000, 16, kSuggestAll, stage1.target(), prompter);
    EXPECT_EQ(stage2.Convert(), 1);
    const CWaveFile& result = stage2.target();
    return {result.data(), result.data() + result.length()};
}

// Noise under a tone whose peaks pass full scale, so that clipping is covered too.
std::vector<float> NoisyTone(std::size_t samples) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> noise(-0.3f, 0.3f);
    std::vector<float> out(samples);
    for (std::size_t i = 0; i < samples; ++i)
        out[i] =
            0.85f * static_cast<float>(std::sin(0.05 * static_cast<double>(i))) + noise(random);
    return out;
}

struct SourceFormat {
    const char* name;
    int sndfile_format;
    int channels;
    int rate_hz;
};

class ImportChainFormats : public ::testing::TestWithParam<SourceFormat> {};

TEST_P(ImportChainFormats, BlockByBlockResultEqualsTheWholeFileConversion) {
    const SourceFormat& format = GetParam();
    TempDir dir;
    const std::string path = (dir / "in.wav").string();
    // 1.5 s: many blocks, and still within what the whole-file reader takes.
    const auto frames = static_cast<std::size_t>(format.rate_hz) * 3 / 2;
    test::WriteWithSndfile(path, SF_FORMAT_WAV | format.sndfile_format, format.channels,
                           format.rate_hz, NoisyTone(frames * format.channels));
    ScriptedPrompter prompter;
    const std::vector<std::uint8_t> expected = WholeFileConversion(path, prompter);
    const std::unique_ptr<CWaveFile> streamed = RunImportChain(path, prompter);
    ASSERT_EQ(streamed->length(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), streamed->data()));
    EXPECT_TRUE(prompter.prompts().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, ImportChainFormats,
    ::testing::Values(SourceFormat{"Pcm8Stereo22050", SF_FORMAT_PCM_U8, 2, 22050},
                      SourceFormat{"Pcm16Stereo44100", SF_FORMAT_PCM_16, 2, 44100},
                      SourceFormat{"Pcm16Mono8000", SF_FORMAT_PCM_16, 1, 8000},
                      SourceFormat{"Pcm24Mono44100", SF_FORMAT_PCM_24, 1, 44100},
                      SourceFormat{"Pcm32ThreeChannels8000", SF_FORMAT_PCM_32, 3, 8000},
                      SourceFormat{"FloatStereo48000", SF_FORMAT_FLOAT, 2, 48000},
                      SourceFormat{"MuLawMono11025", SF_FORMAT_ULAW, 1, 11025},
                      SourceFormat{"ImaAdpcmMono22050", SF_FORMAT_IMA_ADPCM, 1, 22050},
                      SourceFormat{"MsAdpcmStereo8000", SF_FORMAT_MS_ADPCM, 2, 8000}),
    [](const ::testing::TestParamInfo<SourceFormat>& test) {
        return std::string(test.param.name);
    });

TEST(ImportChainLimits, SampleDataOfUpTo64MiBIsImportedAndMoreIsRefused) {
    constexpr std::uint32_t kLimit = 64u * 1024 * 1024;
    TempDir dir;
    // Exactly the limit at 8000 Hz mono: the result is the data itself, then silence up to
    // the 2.5 ms block after the end (67,108,880 bytes).
    WavBuilder::WriteSilentPcm(dir / "limit.wav", 1, 8000, 16, kLimit);
    std::fstream((dir / "limit.wav"), std::ios::in | std::ios::out | std::ios::binary)
        .seekp(44 + kLimit - 2)
        .write("\x34\x12", 2);  // the last sample: the whole chunk was read
    ScriptedPrompter prompter;
    std::unique_ptr<CWaveFile> result = RunImportChain((dir / "limit.wav").string(), prompter);
    ASSERT_EQ(result->length(), kLimit + 16);
    EXPECT_EQ(result->data()[kLimit - 2], 0x34);
    EXPECT_EQ(result->data()[kLimit - 1], 0x12);
    EXPECT_TRUE(std::all_of(result->data() + kLimit, result->data() + kLimit + 16,
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_TRUE(prompter.prompts().empty());
    result.reset();

    // One frame more (stereo here) is refused before anything is decoded.
    WavBuilder::WriteSilentPcm(dir / "over.wav", 2, 44100, 16, kLimit + 4);
    EXPECT_THROW(RunImportChain((dir / "over.wav").string(), prompter), UserAbort);
    ASSERT_EQ(prompter.MessageIds(), std::vector<int>{0});
    EXPECT_EQ(prompter.prompts()[0].message.text, "ファイルが大きすぎます（最大 64 MiB）。");
    EXPECT_EQ(prompter.prompts()[0].message.icon, MessageIcon::Exclamation);
}

TEST(ImportChainLimits, SampleDataIsWhatTheFileHolds) {
    // A recording cut short, and a header whose writer never filled in the sizes, both
    // declaring more than the limit: libsndfile reads the samples that are there, so does the
    // import.
    std::vector<std::int16_t> samples(800);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(i * 40 - 16000);
    TempDir dir;
    for (std::uint32_t declared : {80u * 1024 * 1024, 0xFFFFFFFFu}) {
        SCOPED_TRACE(declared);
        WavBuilder file;
        file.Tag("RIFF").U32(declared).Tag("WAVE").Tag("fmt ").U32(16).Format(1, 1, 8000, 16);
        file.Tag("data").U32(declared).Bytes(WavBuilder::Samples16(samples));
        test::WriteBytes(dir / "cut.wav", file.bytes());
        ScriptedPrompter prompter;
        const std::unique_ptr<CWaveFile> result =
            RunImportChain((dir / "cut.wav").string(), prompter);
        ASSERT_EQ(result->length(), 1640u);  // 1600 bytes, rounded up past the next block
        EXPECT_EQ(test::Samples16(result->data(), 800), samples);
        EXPECT_TRUE(prompter.prompts().empty());
    }
}

TEST(ImportChainLibraries, PlainPcmFloatAndMuLawNeedNoDecoderLibrary) {
    test::MissingCodecLibraries missing(true, false);
    TempDir dir;
    const std::vector<float> tone = NoisyTone(4000);
    for (int encoding :
         {SF_FORMAT_PCM_U8, SF_FORMAT_PCM_24, SF_FORMAT_PCM_32, SF_FORMAT_FLOAT, SF_FORMAT_ULAW}) {
        SCOPED_TRACE(encoding);
        test::WriteWithSndfile(dir / "in.wav", SF_FORMAT_WAV | encoding, 1, 16000, tone);
        ScriptedPrompter prompter;
        EXPECT_EQ(RunImportChain((dir / "in.wav").string(), prompter)->length(), 4040u);
        EXPECT_TRUE(prompter.prompts().empty());
    }
    // ADPCM needs the decoder library: the stream cannot be opened.
    test::WriteWithSndfile(dir / "ima.wav", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 1, 16000, tone);
    ScriptedPrompter prompter;
    EXPECT_THROW(RunImportChain((dir / "ima.wav").string(), prompter), UserAbort);
    EXPECT_EQ(prompter.MessageIds(), std::vector<int>{111});
}

}  // namespace
}  // namespace kotar
