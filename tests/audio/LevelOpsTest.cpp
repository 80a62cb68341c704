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
    test::ScriptedPrompter prompter_;
};

TEST_F(LevelOpsTest, AToneAtMinus30DbfsPeaksThereAndMeasuresThreeDecibelsLowerInLufs) {
    const LevelFigures figures = MeasureLevels(PhraseOf(Tone(1000, -30, 16000), prompter_));
    EXPECT_EQ(figures.peak_sample, 1036u);
    EXPECT_NEAR(figures.peak_dbfs, -30.0, 0.01);
    // A sine's mean square lies 3 dB below its crest; K-weighting leaves 1 kHz almost alone.
    EXPECT_NEAR(figures.loudness_lufs, -33.0, 0.3);
    EXPECT_EQ(figures.clipped_samples, 0u);
    EXPECT_EQ(
        FormatLevelLine(figures),
        "peak -30.0 dBFS, loudness " + FormatLevel(figures.loudness_lufs) + " LUFS, clipped 0");
}

TEST_F(LevelOpsTest, SilenceAndEmptyPhrasesReadMinusInfinity) {
    for (std::size_t samples : {0u, 4u, 16000u}) {
        const LevelFigures figures = MeasureLevels(PhraseOf(Silence(samples), prompter_));
        EXPECT_EQ(FormatLevelLine(figures), "peak -inf dBFS, loudness -inf LUFS, clipped 0")
            << samples;
    }
}

TEST_F(LevelOpsTest, APhraseShorterThanOneGatingBlockIsMeasuredOverItsLength) {
    const double whole = MeasureLevels(PhraseOf(Tone(1000, -30, 16000), prompter_)).loudness_lufs;
    const double short_one =
        MeasureLevels(PhraseOf(Tone(1000, -30, 1600), prompter_)).loudness_lufs;  // 200 ms
    EXPECT_NEAR(short_one, whole, 0.3);
}

TEST_F(LevelOpsTest, OnlyRunsOfThreeOrMoreFullScaleSamplesCountAsClipped) {
    const std::vector<std::int16_t> samples = Concat(
        {Silence(10),
         {32767, 32767, 0, -32768, -32767, -32768, 5, 32767, 32767, 32767, 32767, 32767, 0}});
    const LevelFigures figures = MeasureLevels(PhraseOf(samples, prompter_));
    EXPECT_EQ(figures.clipped_samples, 8u);
    EXPECT_EQ(figures.peak_sample, 32768u);
    EXPECT_EQ(FormatLevel(figures.peak_dbfs), "0.0");
}

TEST_F(LevelOpsTest, LevelsPrintWithOneDecimalAndNoNegativeZero) {
    EXPECT_EQ(FormatLevel(-0.04), "0.0");
    EXPECT_EQ(FormatLevel(-3.25), "-3.3");
    EXPECT_EQ(FormatLevel(-16.0), "-16.0");
    EXPECT_EQ(FormatLevel(-std::numeric_limits<double>::infinity()), "-inf");
}

TEST_F(LevelOpsTest, EvenLoudnessBringsAQuietToneToTheTarget) {
    CSoundCtrl phrase = PhraseOf(Tone(1000, -30, 16000), prompter_);
    const GainChoice choice = EvenLoudness(phrase, -16.0);
    EXPECT_FALSE(choice.limited_by_peak);
    const LevelFigures after = MeasureLevels(phrase);
    EXPECT_NEAR(after.loudness_lufs, -16.0, 0.5);
    EXPECT_LE(after.peak_dbfs, -1.0);
}

TEST_F(LevelOpsTest, EvenLoudnessLowersALoudPhraseToo) {
    CSoundCtrl phrase = PhraseOf(Tone(1000, -2, 16000), prompter_);
    EXPECT_LT(EvenLoudness(phrase, -20.0).gain, 1.0);
    EXPECT_NEAR(MeasureLevels(phrase).loudness_lufs, -20.0, 0.5);
}

TEST_F(LevelOpsTest, AFullScaleBurstLimitsTheGainToTheCeiling) {
    std::vector<std::int16_t> samples = Tone(1000, -40, 16000);
    for (std::size_t i = 8000; i < 8010; ++i)
        samples[i] = (i % 2 == 0) ? 32767 : -32768;
    CSoundCtrl phrase = PhraseOf(samples, prompter_);
    const GainChoice choice = EvenLoudness(phrase, -16.0);
    EXPECT_TRUE(choice.limited_by_peak);
    const LevelFigures after = MeasureLevels(phrase);
    // -1 dBFS is 29204.6: the loudest sample lands on the last whole sample below it.
    EXPECT_EQ(after.peak_sample, 29204u);
    EXPECT_LE(after.peak_dbfs, -1.0);
    EXPECT_LT(after.loudness_lufs, -16.5);
}

TEST_F(LevelOpsTest, EvenLoudnessLeavesSilenceAlone) {
    CSoundCtrl phrase = PhraseOf(Concat({Silence(8000), {1}}), prompter_);
    const std::vector<std::int16_t> before = SamplesOf(phrase);
    EXPECT_EQ(EvenLoudness(phrase, -16.0).gain, 1.0);
    EXPECT_EQ(SamplesOf(phrase), before);
}

TEST_F(LevelOpsTest, TrimmingKeepsTheToneAndOneHundredMillisecondsEachSide) {
    const std::vector<std::int16_t> tone = Tone(1000, -30, 16000);
    // Quiet noise under -45 dBFS (184) counts as silence.
    std::vector<std::int16_t> lead = Silence(8000);
    for (std::size_t i = 0; i < lead.size(); i += 3)
        lead[i] = (i % 2 == 0) ? 150 : -150;
    CSoundCtrl phrase = PhraseOf(Concat({lead, tone, Silence(8000)}), prompter_, 80'000);
    ASSERT_TRUE(TrimSilence(phrase));
    const std::vector<std::int16_t> expected =
        Concat({std::vector<std::int16_t>(lead.end() - 800, lead.end()), tone, Silence(800)});
    EXPECT_EQ(SamplesOf(phrase), expected);
    EXPECT_EQ(phrase.length(), (16000u + 1600u) * 2);
    EXPECT_TRUE(std::all_of(phrase.data() + phrase.length(), phrase.data() + phrase.capacity(),
                            [](std::uint8_t b) { return b == 0; }));
}

TEST_F(LevelOpsTest, TrimmingNeverEmptiesAPhraseNorCutsIntoAShortLeadIn) {
    CSoundCtrl quiet = PhraseOf(Concat({Silence(4000), {100, -100}}), prompter_);
    EXPECT_FALSE(TrimSilence(quiet));
    EXPECT_EQ(quiet.length(), 8004u);

    const std::vector<std::int16_t> tone = Tone(1000, -20, 800);
    CSoundCtrl close = PhraseOf(Concat({Silence(400), tone, Silence(2000)}), prompter_);
    ASSERT_TRUE(TrimSilence(close));
    EXPECT_EQ(SamplesOf(close), Concat({Silence(400), tone, Silence(800)}));
}

}  // namespace
}  // namespace kotar
