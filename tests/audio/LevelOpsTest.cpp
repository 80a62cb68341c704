// SPDX-License-Identifier: GPL-3.0-or-later
// Level figures, even loudness and silence trimming of a phrase.
#include <gtest/gtest.h>

#include "PhraseSignals.h"
#include "ScriptedPrompter.h"
#include "audio/LevelAnalysis.h"
#include "audio/PhraseLevelOps.h"

namespace kotar {
namespace {

using test::Concat;
using test::PhraseOf;
using test::SamplesOf;
using test::Silence;
using test::Tone;

class LevelOpsTest : public ::testing::Test {
protected:
    LevelFigures Measure(const std::vector<std::int16_t>& samples) {
        return MeasureLevels(PhraseOf(samples, prompter_));
    }
    test::ScriptedPrompter prompter_;
};

TEST_F(LevelOpsTest, FiguresOfLongAndShortTonesAndOfClippedRuns) {
    const LevelFigures tone = Measure(Tone(1000, -30, 16000));
    EXPECT_EQ(tone.peak_sample, 1036u);
    EXPECT_EQ(FormatLevel(tone.peak_dbfs), "-30.0");
    // A sine's mean square lies 3 dB below its crest; K-weighting leaves 1 kHz almost alone.
    EXPECT_NEAR(tone.loudness_lufs, -33.0, 0.3);
    // 200 ms, shorter than a gating block, measured over its length.
    EXPECT_NEAR(Measure(Tone(1000, -30, 1600)).loudness_lufs, tone.loudness_lufs, 0.3);

    const LevelFigures clipped = Measure(Concat(
        {Silence(10),
         {32767, 32767, 0, -32768, -32767, -32768, 5, 32767, 32767, 32767, 32767, 32767, 0}}));
    EXPECT_EQ(clipped.clipped_samples, 8u);  // runs of three or more only
    EXPECT_EQ(clipped.peak_sample, 32768u);
}

TEST_F(LevelOpsTest, SilenceReadsMinusInfinityAndLevelsPrintWithOneDecimal) {
    for (std::size_t samples : {0u, 4u, 16000u})
        EXPECT_EQ(FormatLevelLine(Measure(Silence(samples))),
                  "peak -inf dBFS, loudness -inf LUFS, clipped 0");
    EXPECT_EQ(FormatLevel(-0.04), "0.0");
    EXPECT_EQ(FormatLevel(-3.25), "-3.3");
}

TEST_F(LevelOpsTest, EvenLoudnessRaisesAQuietAndLowersALoudToneToTheTarget) {
    for (const auto& [crest, target] : {std::pair{-30.0, -16.0}, std::pair{-2.0, -20.0}}) {
        CSoundCtrl phrase = PhraseOf(Tone(1000, crest, 16000), prompter_);
        EXPECT_FALSE(EvenLoudness(phrase, target).limited_by_peak);
        const LevelFigures after = MeasureLevels(phrase);
        EXPECT_NEAR(after.loudness_lufs, target, 0.5) << crest;
        EXPECT_LE(after.peak_dbfs, -1.0) << crest;
    }
    CSoundCtrl silence = PhraseOf(Concat({Silence(8000), {1}}), prompter_);
    EXPECT_EQ(EvenLoudness(silence, -16.0).gain, 1.0);
    EXPECT_EQ(SamplesOf(silence), Concat({Silence(8000), {1}}));
}

TEST_F(LevelOpsTest, AFullScaleBurstLimitsTheGainToTheCeiling) {
    std::vector<std::int16_t> samples = Tone(1000, -40, 16000);
    for (std::size_t i = 8000; i < 8010; ++i)
        samples[i] = (i % 2 == 0) ? 32767 : -32768;
    CSoundCtrl phrase = PhraseOf(samples, prompter_);
    EXPECT_TRUE(EvenLoudness(phrase, -16.0).limited_by_peak);
    const LevelFigures after = MeasureLevels(phrase);
    // -1 dBFS is 29204.6: the loudest sample lands on the last whole sample below it.
    EXPECT_EQ(after.peak_sample, 29204u);
    EXPECT_LT(after.loudness_lufs, -16.5);
}

TEST_F(LevelOpsTest, TrimmingKeepsTheToneAndOneHundredMillisecondsEachSide) {
    const std::vector<std::int16_t> tone = Tone(1000, -30, 16000);
    std::vector<std::int16_t> lead = Silence(8000);  // with noise under -45 dBFS (184)
    for (std::size_t i = 0; i < lead.size(); i += 3)
        lead[i] = (i % 2 == 0) ? 150 : -150;
    CSoundCtrl phrase = PhraseOf(Concat({lead, tone, Silence(8000)}), prompter_, 80'000);
    ASSERT_TRUE(TrimSilence(phrase));
    EXPECT_EQ(SamplesOf(phrase), Concat({std::vector<std::int16_t>(lead.end() - 800, lead.end()),
                                         tone, Silence(800)}));
    EXPECT_TRUE(std::all_of(phrase.data() + phrase.length(), phrase.data() + phrase.capacity(),
                            [](std::uint8_t b) { return b == 0; }));

    // Never emptied; a lead-in shorter than the margin stays whole.
    CSoundCtrl quiet = PhraseOf(Concat({Silence(4000), {100, -100}}), prompter_);
    EXPECT_FALSE(TrimSilence(quiet));
    EXPECT_EQ(quiet.length(), 8004u);
    CSoundCtrl close = PhraseOf(Concat({Silence(400), tone, Silence(2000)}), prompter_);
    ASSERT_TRUE(TrimSilence(close));
    EXPECT_EQ(SamplesOf(close), Concat({Silence(400), tone, Silence(800)}));
}

// A header may claim any format; only the recording format is measured or changed.
struct OddFormat {
    const char* name;
    std::uint16_t format_tag;
    std::uint16_t channels;
    std::uint32_t samples_per_sec;
    std::uint16_t bits_per_sample;
};
void PrintTo(const OddFormat& format, std::ostream* out) {
    *out << format.name;
}

class LevelOpsOddFormat : public LevelOpsTest, public ::testing::WithParamInterface<OddFormat> {};

TEST_P(LevelOpsOddFormat, IsNeitherMeasuredNorChanged) {
    const std::vector<std::int16_t> samples = Concat({Silence(8000), Tone(1000, -30, 16000)});
    CSoundCtrl phrase = PhraseOf(samples, prompter_);
    const OddFormat& odd = GetParam();
    phrase.SetFormat(odd.format_tag, odd.channels, odd.samples_per_sec, odd.bits_per_sample);
    EXPECT_FALSE(HasLevelFormat(phrase));
    EXPECT_EQ(FormatLevelLine(MeasureLevels(phrase)),
              "peak -inf dBFS, loudness -inf LUFS, clipped 0");
    EXPECT_EQ(EvenLoudness(phrase, -16.0).gain, 1.0);
    EXPECT_FALSE(TrimSilence(phrase));
    EXPECT_EQ(SamplesOf(phrase), samples);
}

INSTANTIATE_TEST_SUITE_P(Headers, LevelOpsOddFormat,
                         ::testing::Values(OddFormat{"Rate16", kFormatPcm, 1, 16, 16},
                                           OddFormat{"Rate17", kFormatPcm, 1, 17, 16},
                                           OddFormat{"Rate44100", kFormatPcm, 1, 44100, 16},
                                           OddFormat{"Stereo", kFormatPcm, 2, 8000, 16},
                                           OddFormat{"EightBit", kFormatPcm, 1, 8000, 8},
                                           OddFormat{"MuLaw", kFormatMuLaw, 1, 8000, 16}),
                         [](const ::testing::TestParamInfo<OddFormat>& param_info) {
                             return std::string(param_info.param.name);
                         });

}  // namespace
}  // namespace kotar
