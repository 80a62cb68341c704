// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>

#include "CodecFixtures.h"
#include "ScriptedPrompter.h"
#include "TempDir.h"
#include "ToneAnalysis.h"
#include "WavBuilder.h"
#include "audio/AcmCtrl.h"
#include "audio/CodecLibraries.h"
#include "audio/ImportChain.h"
#include "audio/MuLaw.h"
#include "common/UserAbort.h"

namespace kotar {
namespace {

using test::MissingCodecLibraries;
using test::ReadBytes;
using test::ScriptedPrompter;
using test::TempDir;
using test::WavBuilder;
using test::WriteBytes;
using test::WriteWithSndfile;

std::vector<std::int16_t> Samples(const CWaveFile& wave) {
    return test::Samples16(wave.data(), wave.length() / 2);
}

TEST(AcmCtrlExport, RecordingFormatSlotBecomesHalfSizeG711) {
    TempDir dir;
    ScriptedPrompter prompter;
    std::vector<std::int16_t> samples(65536);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>(static_cast<int>(i * 7919 % 65536) - 32768);
    }
    WriteBytes(dir / "01.wav", WavBuilder::Pcm(1, 1, 8000, 16, WavBuilder::Samples16(samples)));

    CAcmCtrl converter(7, 1, 8000, 8, kSuggestAll, (dir / "01.wav").string(), prompter);
    EXPECT_EQ(converter.Convert(), 1);
    converter.UnprepareHeader();
    converter.CloseStream();
    ASSERT_EQ(converter.target().length(), 65536u);
    ASSERT_EQ(converter.target().capacity(), 65536u);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        ASSERT_EQ(converter.target().data()[i], MuLawEncode(samples[i])) << i;
    }
    ASSERT_EQ(converter.SaveTarget((dir / "uLaw01.wav").string(), "abc"), 1);
    std::vector<std::uint8_t> saved = ReadBytes(dir / "uLaw01.wav");
    ASSERT_EQ(saved.size(), 46u + 65536 + 24);
    const std::vector<std::uint8_t> format_chunk = {
        'f',  'm', 't', ' ', 18, 0, 0, 0, 7, 0,   1,   0,   0x40, 0x1F, 0, 0, 0x40,
        0x1F, 0,   0,   1,   0,  8, 0, 0, 0, 'd', 'a', 't', 'a',  0,    0, 1, 0};
    EXPECT_TRUE(std::equal(format_chunk.begin(), format_chunk.end(), saved.begin() + 12));
    EXPECT_TRUE(prompter.prompts().empty());
}

TEST(AcmCtrlImport, RecordingFormatFileGainsOneBlockOfSilence) {
    TempDir dir;
    ScriptedPrompter prompter;
    std::vector<std::int16_t> samples(4001);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>((i * 37) % 20000 - 10000);
    }
    WriteBytes(dir / "in.wav", WavBuilder::Pcm(1, 1, 8000, 16, WavBuilder::Samples16(samples)));

    auto result = RunImportChain((dir / "in.wav").string(), prompter);
    const CWaveFile& target = *result;
    EXPECT_EQ(target.format().format_tag, 1);
    EXPECT_EQ(target.format().channels, 1);
    EXPECT_EQ(target.format().samples_per_sec, 8000u);
    EXPECT_EQ(target.format().bits_per_sample, 16);
    EXPECT_EQ(target.length(), 8040u);  // 8002 bytes rounded up past 8000
    std::vector<std::int16_t> out = Samples(*result);
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), out.begin()));
    EXPECT_TRUE(std::all_of(out.begin() + 4001, out.end(), [](std::int16_t s) { return s == 0; }));
    EXPECT_TRUE(prompter.prompts().empty());
}

TEST(AcmCtrlImport, Stereo44100BecomesMono8000KeepingTheToneLevel) {
    TempDir dir;
    ScriptedPrompter prompter;
    const double amplitude = 0.5;
    WriteBytes(dir / "stereo.wav", WavBuilder::Pcm(1, 2, 44100, 16, [&] {
                   std::vector<std::int16_t> s;
                   for (float v : test::Sine(1000, 44100, amplitude, 44100, 2)) {
                       s.push_back(static_cast<std::int16_t>(std::lrint(v * 32767)));
                   }
                   return WavBuilder::Samples16(s);
               }()));
    auto result = RunImportChain((dir / "stereo.wav").string(), prompter);
    const CWaveFile& target = *result;
    EXPECT_EQ(target.format().channels, 1);
    EXPECT_EQ(target.format().samples_per_sec, 8000u);
    EXPECT_EQ(target.format().block_align, 2);
    EXPECT_EQ(target.format().avg_bytes_per_sec, 16000u);
    EXPECT_EQ(target.length(), 16040u);  // 8000 frames, rounded past the block boundary
    std::vector<std::int16_t> out = Samples(*result);
    const double level = test::ToneAmplitude(out, 2000, 4000, 1000, 8000);
    EXPECT_NEAR(20 * std::log10(level / (amplitude * 32767 / 32768)), 0.0, 0.1);
}

TEST(AcmCtrlImport, ToneAboveTheNewNyquistLimitIsRejected) {
    TempDir dir;
    ScriptedPrompter prompter;
    const double amplitude = 0.9;
    WriteWithSndfile(dir / "6k.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 44100,
                     test::Sine(6000, 44100, amplitude, 44100));
    auto result = RunImportChain((dir / "6k.wav").string(), prompter);
    std::vector<std::int16_t> out = Samples(*result);
    // 6 kHz would alias to 2 kHz at 8000 Hz.
    const double alias = test::ToneAmplitude(out, 2000, 4000, 2000, 8000);
    const double rejection_db = 20 * std::log10(amplitude / std::max(alias, 1e-12));
    EXPECT_GE(rejection_db, 90.0);
}

TEST(AcmCtrlImport, EncodingsLibsndfileKnowsAreDecoded) {
    TempDir dir;
    const std::vector<float> tone = test::Sine(500, 8000, 0.5, 8000);
    const struct {
        const char* name;
        int format;
        double tolerance_db;
    } cases[] = {
        {"pcm8.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 0.3},
        {"pcm24.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 0.01},
        {"pcm32.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 0.01},
        {"float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 0.01},
        {"alaw.wav", SF_FORMAT_WAV | SF_FORMAT_ALAW, 0.1},
        {"ulaw.wav", SF_FORMAT_WAV | SF_FORMAT_ULAW, 0.1},
        {"ima.wav", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 0.5},
        {"ms.wav", SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM, 0.5},
        {"gsm.wav", SF_FORMAT_WAV | SF_FORMAT_GSM610, 1.0},
        {"ext.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 0.01},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedPrompter prompter;
        WriteWithSndfile(dir / c.name, c.format, 1, 8000, tone);
        auto result = RunImportChain((dir / c.name).string(), prompter);
        EXPECT_TRUE(prompter.prompts().empty());
        std::vector<std::int16_t> out = Samples(*result);
        ASSERT_GE(out.size(), 6000u);
        const double level = test::ToneAmplitude(out, 2000, 4000, 500, 8000);
        EXPECT_NEAR(20 * std::log10(level / 0.5), 0.0, c.tolerance_db);
    }
}

TEST(AcmCtrlImport, ReadBackMuLawFileDecodesToTheG711Values) {
    TempDir dir;
    ScriptedPrompter prompter;
    std::vector<std::uint8_t> codes(131072, 0xFF);
    for (std::size_t i = 0; i < 256; ++i)
        codes[i] = static_cast<std::uint8_t>(i);
    WavBuilder file;  // the fixed 44-byte header of a read-back file
    file.Tag("RIFF").U32(0x00020024).Tag("WAVE").Tag("fmt ").U32(16).Format(7, 1, 8000, 8);
    file.Tag("data").U32(0x00020000).Bytes(codes);
    WriteBytes(dir / "play.ulw", file.bytes());
    auto result = RunReadBackChain((dir / "play.ulw").string(), prompter);
    EXPECT_EQ(result->length(), 262160u);  // 262144 rounded past the boundary
    std::vector<std::int16_t> out = Samples(*result);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(out[i], MuLawDecode(static_cast<std::uint8_t>(i)));
    EXPECT_EQ(out[131071], 0);
}

TEST(AcmCtrlFailure, UndecodableFormatFailsWith111) {
    TempDir dir;
    ScriptedPrompter prompter;
    WavBuilder mp3;  // MPEG layer 3 in a WAV file: not importable
    mp3.Tag("RIFF").U32(4 + 26 + 8 + 64).Tag("WAVE").Tag("fmt ").U32(18);
    mp3.U16(0x55).U16(1).U32(8000).U32(1000).U16(1).U16(0).U16(0);
    mp3.Tag("data").U32(64).Fill(64, 0x5A);
    WriteBytes(dir / "mp3.wav", mp3.bytes());
    EXPECT_THROW(RunImportChain((dir / "mp3.wav").string(), prompter), UserAbort);
    EXPECT_EQ(prompter.MessageIds(), std::vector<int>{111});
    EXPECT_EQ(prompter.prompts()[0].message.text, "変換ストリームをオープンできませんでした。");

    // A PCM source cannot become a two-channel target of another channel count.
    ScriptedPrompter second;
    CWaveFile mono(1, 1, 8000, 16, 100, second);
    EXPECT_THROW(CAcmCtrl(1, 2, 8000, 16, kSuggestAll, mono, second), UserAbort);
    EXPECT_EQ(second.MessageIds(), std::vector<int>{111});
}

TEST(AcmCtrlFailure, MissingCodecLibraryFailsLikeAnUnconvertibleSource) {
    TempDir dir;
    WriteWithSndfile(dir / "alaw.wav", SF_FORMAT_WAV | SF_FORMAT_ALAW, 1, 8000,
                     test::Sine(500, 8000, 0.5, 800));
    WriteBytes(dir / "stereo.wav",
               WavBuilder::Pcm(1, 2, 44100, 16, std::vector<std::uint8_t>(4 * 4410, 0x10)));
    {
        MissingCodecLibraries missing(true, false);
        ScriptedPrompter prompter;
        EXPECT_THROW(RunImportChain((dir / "alaw.wav").string(), prompter), UserAbort);
        EXPECT_EQ(prompter.MessageIds(), std::vector<int>{111});
        // The resampler is still there, so 16-bit PCM at another rate converts.
        ScriptedPrompter resampled;
        auto result = RunImportChain((dir / "stereo.wav").string(), resampled);
        EXPECT_EQ(result->format().samples_per_sec, 8000u);
        EXPECT_TRUE(resampled.prompts().empty());
    }
    {
        MissingCodecLibraries missing(false, true);
        ScriptedPrompter prompter;
        EXPECT_THROW(RunImportChain((dir / "stereo.wav").string(), prompter), UserAbort);
        EXPECT_EQ(prompter.MessageIds(), std::vector<int>{111});
        // The decoder is still there, so an A-law file at the target rate converts.
        ScriptedPrompter decoded;
        auto result = RunImportChain((dir / "alaw.wav").string(), decoded);
        const double level = test::ToneAmplitude(Samples(*result), 200, 600, 500, 8000);
        EXPECT_NEAR(20 * std::log10(level / 0.5), 0.0, 0.1);
    }
    // Restored names load again.
    ScriptedPrompter prompter;
    EXPECT_NO_THROW(RunImportChain((dir / "stereo.wav").string(), prompter));
    EXPECT_TRUE(prompter.prompts().empty());
}

TEST(AcmCtrlFailure, SixteenBitPcmAtTheTargetRateNeedsNoCodecLibrary) {
    MissingCodecLibraries missing(true, true);
    TempDir dir;
    ScriptedPrompter prompter;
    std::vector<std::int16_t> samples(4000);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(i * 13);
    WriteBytes(dir / "01.wav", WavBuilder::Pcm(1, 1, 8000, 16, WavBuilder::Samples16(samples)));

    auto imported = RunImportChain((dir / "01.wav").string(), prompter);
    std::vector<std::int16_t> out = Samples(*imported);
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), out.begin()));

    CAcmCtrl exported(7, 1, 8000, 8, kSuggestAll, (dir / "01.wav").string(), prompter);
    ASSERT_EQ(exported.Convert(), 1);
    for (std::size_t i = 0; i < samples.size(); ++i)
        ASSERT_EQ(exported.target().data()[i], MuLawEncode(samples[i])) << i;
    // Mixing stereo down to mono at the same rate needs neither library either.
    CWaveFile stereo(1, 2, 8000, 16, 400, prompter);
    CAcmCtrl mixed(1, 1, 8000, 16, kSuggestAll, stereo, prompter);
    EXPECT_EQ(mixed.Convert(), 1);
    EXPECT_TRUE(prompter.prompts().empty());
}

TEST(AcmCtrlBuffer, BufferConstructorRoundsTheTargetUpAndCopiesTheSource) {
    ScriptedPrompter prompter;
    CWaveFile source(1, 1, 8000, 16, 100, prompter);
    source.data()[0] = 0x34;
    source.data()[1] = 0x12;
    CAcmCtrl converter(1, 1, 8000, 16, kSuggestAll, source, prompter);
    source.data()[0] = 0;
    EXPECT_EQ(converter.target().capacity(), 120u);
    EXPECT_EQ(converter.target().length(), 120u);
    EXPECT_EQ(converter.Convert(), 1);
    EXPECT_EQ(converter.target().data()[0], 0x34);
    EXPECT_EQ(converter.target().data()[1], 0x12);
    converter.CloseStream();
    EXPECT_EQ(converter.Convert(), 0);  // no stream any more

    // Only the tag fixed: channels and rate follow the source.
    CWaveFile stereo(1, 2, 22050, 16, 400, prompter);
    CAcmCtrl keep(1, 1, 8000, 16, kSuggestFormatTag, stereo, prompter);
    EXPECT_EQ(keep.target().format().channels, 2);
    EXPECT_EQ(keep.target().format().samples_per_sec, 22050u);
    EXPECT_EQ(keep.target().format().avg_bytes_per_sec, 88200u);
    EXPECT_TRUE(prompter.prompts().empty());
}

TEST(AcmCtrlBuffer, EightBitBufferIsDecodedFromItsWavImageInMemory) {
    ScriptedPrompter prompter;
    CWaveFile source(kFormatPcm, 1, 8000, 8, 4, prompter);
    const std::uint8_t samples[] = {0x80, 0xFF, 0x00, 0xC0};
    std::copy(std::begin(samples), std::end(samples), source.data());
    CAcmCtrl converter(kFormatPcm, 1, 8000, 16, kSuggestAll, source, prompter);
    ASSERT_EQ(converter.Convert(), 1);
    const std::uint8_t* out = converter.target().data();
    std::vector<int> decoded;
    for (int i = 0; i < 4; ++i)
        decoded.push_back(static_cast<std::int16_t>(out[2 * i] | (out[2 * i + 1] << 8)));
    EXPECT_EQ(decoded, (std::vector<int>{0, 32512, -32768, 16384}));
    EXPECT_TRUE(prompter.prompts().empty());
}

}  // namespace
}  // namespace kotar
