// SPDX-License-Identifier: GPL-3.0-or-later
// Text to phrase through the synthesizer program: the stand-in script for every way the program
// can fail, one real synthesis when Open JTalk is installed.
#include <gtest/gtest.h>

#include <limits>

#include "ScriptedPrompter.h"
#include "SoundServerSetup.h"
#include "StandInSynthesizer.h"
#include "TempDir.h"
#include "audio/LevelAnalysis.h"
#include "audio/SpeechSynthesizer.h"
#include "common/ProfileFile.h"
#include "common/UserAbort.h"

namespace kotar {
namespace {

using test::ScriptedPrompter;
using test::StandInSynthesizer;
using test::TempDir;
using Behaviour = StandInSynthesizer::Behaviour;

class SpeechSynthesizerTest : public ::testing::Test {
protected:
    // The text of the one message shown by a synthesis that must fail; "" when it succeeded or
    // showed none.
    std::string FailureText(const std::string& text, const SpeechSettings& settings) {
        prompter_.Clear();
        EXPECT_THROW(SynthesizeSpeech(text, settings, dir_ / "TEMP", prompter_), UserAbort);
        if (prompter_.prompts().size() != 1)
            return {};
        return prompter_.prompts()[0].message.text;
    }

    TempDir dir_;
    StandInSynthesizer stand_in_{dir_.path()};
    ScriptedPrompter prompter_;
};

TEST_F(SpeechSynthesizerTest, TheTakeComesOutInTheRecordingFormatWithTheTextAndRateGiven) {
    SpeechSettings settings = stand_in_.Settings();
    settings.rate = 1.5;
    const auto sound =
        SynthesizeSpeech("  火事です。\n避難してください。　", settings, dir_ / "TEMP", prompter_);
    EXPECT_TRUE(prompter_.prompts().empty());
    EXPECT_TRUE(HasLevelFormat(*sound));
    // 1.6 s at 8000 Hz, 16-bit, and the import chain's 2.5 ms block of silence behind it.
    EXPECT_EQ(sound->length(), 25600u + 40u);
    EXPECT_EQ(stand_in_.SpokenText(), "火事です。 避難してください。\n");
    EXPECT_EQ(stand_in_.Rate(), "1.50\n");
    // The scratch folder went with the synthesis.
    EXPECT_TRUE(test::EntryNames(dir_ / "TEMP").empty());
}

struct FailureCase {
    const char* name;
    Behaviour behaviour;
    const char* expected;
};

class SynthesizerFailureTest : public SpeechSynthesizerTest,
                               public ::testing::WithParamInterface<FailureCase> {};

TEST_P(SynthesizerFailureTest, ShowsOneClearMessage) {
    stand_in_.Set(GetParam().behaviour);
    EXPECT_EQ(FailureText("火事です。", stand_in_.Settings(1)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Program, SynthesizerFailureTest,
    ::testing::Values(
        FailureCase{"Hangs", Behaviour::kHang, "音声合成が 1 秒以内に終わらないため中止しました。"},
        FailureCase{"Crashes", Behaviour::kCrash,
                    "音声合成プログラムが異常終了しました（シグナル 11）。"},
        FailureCase{"Fails", Behaviour::kFail,
                    "音声合成に失敗しました（終了コード "
                    "3）。\n文章に読めない文字（記号、絵文字など）がないか確かめてください。\ncanno"
                    "t load voice"},
        FailureCase{"WritesNothing", Behaviour::kNoOutput,
                    "音声合成プログラムが音声を書きませんでした。"},
        FailureCase{"WritesGarbage", Behaviour::kGarbage, "サウンドファイルを開けませんでした。"},
        FailureCase{"SpeaksSilence", Behaviour::kSilent,
                    "文章を読み上げられませんでした（辞書にない文字だけの文章です）。"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST_F(SpeechSynthesizerTest, AMissingProgramDictionaryOrVoiceNamesItsPackage) {
    SpeechSettings settings = stand_in_.Settings();
    settings.program = PathToUtf8(dir_ / "none" / "open_jtalk");
    EXPECT_EQ(FailureText("火事です。", settings),
              "音声合成プログラム " + settings.program +
                  " がありません。\nパッケージ open-jtalk をインストールしてください。");
    settings = stand_in_.Settings();
    settings.dictionary = PathToUtf8(dir_ / "none");
    EXPECT_EQ(FailureText("火事です。", settings),
              "音声合成の辞書がありません（" + settings.dictionary +
                  "）。\nパッケージ open-jtalk-mecab-naist-jdic をインストールしてください。");
    settings = stand_in_.Settings();
    settings.voice = PathToUtf8(dir_ / "none.htsvoice");
    EXPECT_EQ(FailureText("火事です。", settings),
              "音声合成の声がありません（" + settings.voice +
                  "）。\nパッケージ hts-voice-nitech-jp-atr503-m001 "
                  "（Debian の contrib）をインストールしてください。");
}

TEST_F(SpeechSynthesizerTest, BadTextIsRefusedBeforeTheProgramRuns) {
    const std::pair<std::string, const char*> cases[] = {
        {"", "読み上げる文章を入力してください。"},
        {" \n\t　 ", "読み上げる文章を入力してください。"},
        {"火事\x07です", "文章に制御文字があります。"},
        {"火事\xC2\x85です", "文章に制御文字があります。"},
        {"\xE7\x81", "文章に読み取れない文字があります（UTF-8 ではありません）。"},
        {"\xC0\xAF", "文章に読み取れない文字があります（UTF-8 ではありません）。"},
        {std::string(1001, 'a'), "文章が長すぎます（最大 1000 バイト、全角で約 330 文字）。"},
    };
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(FailureText(text, stand_in_.Settings()), message);
    }
    EXPECT_EQ(stand_in_.SpokenText(), "");
}

TEST_F(SpeechSynthesizerTest, ACancelStopsTheProgramSilently) {
    stand_in_.Set(Behaviour::kHang);
    // Cancelled once the program has started (it has copied its text).
    EXPECT_THROW(SynthesizeSpeech("火事です。", stand_in_.Settings(), dir_ / "TEMP", prompter_,
                                  [&] { return !stand_in_.SpokenText().empty(); }),
                 UserAbort);
    EXPECT_TRUE(prompter_.prompts().empty());
}

TEST(SpeechSettingsTest, ComeFromTheSpeechSectionAndTheRateIsWrittenOnlyWhenChanged) {
    TempDir dir;
    const auto ini_path = dir / "MEVAN.INI";
    test::WriteText(ini_path, "[SPEECH]\nPROGRAM=/opt/jtalk/bin/open_jtalk\nRATE=3\n");
    ProfileFile ini(ini_path);
    SpeechSettings settings = ReadSpeechSettings(ini);
    EXPECT_EQ(settings.program, "/opt/jtalk/bin/open_jtalk");
    EXPECT_EQ(settings.dictionary, "/var/lib/mecab/dic/open-jtalk/naist-jdic");
    EXPECT_EQ(settings.rate, 1.0);  // out of range
    EXPECT_EQ(ParseSpeechRate("0.2"), std::nullopt);
    EXPECT_EQ(ParseSpeechRate("1.25"), 1.25);
    EXPECT_EQ(ParseSpeechRate("fast"), std::nullopt);

    test::WriteText(ini_path, "[CONFIG]\nLOUDNESS=-16\n");
    ProfileFile fresh(ini_path);
    ASSERT_TRUE(WriteSpeechRate(fresh, 1.0));
    EXPECT_EQ(test::ReadText(ini_path), "[CONFIG]\nLOUDNESS=-16\n");
    ASSERT_TRUE(WriteSpeechRate(fresh, 1.25));
    EXPECT_EQ(ReadSpeechSettings(fresh).rate, 1.25);
}

TEST(SpokenTextTest, IsKeptBesideTheSlotFileUnderANameTheScanIgnores) {
    TempDir dir;
    const auto wav = dir / "01.wav";
    EXPECT_EQ(ReadSpokenText(wav), "");
    ASSERT_TRUE(WriteSpokenText(wav, "東京都千代田区\n火事です。"));
    EXPECT_EQ(test::EntryNames(dir.path()), std::vector<std::string>{"01.speech"});
    EXPECT_EQ(ReadSpokenText(wav), "東京都千代田区\n火事です。");
    test::WriteText(SpokenTextPath(wav), "bad\x01");
    EXPECT_EQ(ReadSpokenText(wav), "");
}

// Open JTalk itself, at its Debian paths.
TEST(OpenJTalkTest, SpeaksAShortSentenceAtASteadyLevel) {
    const SpeechSettings settings;
    if (!std::filesystem::exists(settings.voice) ||
        !std::filesystem::exists("/usr/bin/open_jtalk")) {
        if (test::RunningInCi())
            FAIL() << "open-jtalk, its dictionary and voice are installed in CI (make test)";
        GTEST_SKIP() << "open-jtalk or its voice is not installed";
    }
    TempDir dir;
    ScriptedPrompter prompter;
    const auto sound = SynthesizeSpeech("火事です。", settings, dir / "TEMP", prompter);
    EXPECT_TRUE(prompter.prompts().empty());
    ASSERT_TRUE(HasLevelFormat(*sound));
    // About a second of speech at 8000 Hz, 16-bit.
    EXPECT_GT(sound->length(), 2u * 8000 / 2);
    EXPECT_LT(sound->length(), 2u * 8000 * 4);
    const LevelFigures figures = MeasureLevels(*sound);
    EXPECT_GT(figures.loudness_lufs, -40.0);
    EXPECT_GT(figures.peak_dbfs, -20.0);
    EXPECT_EQ(figures.clipped_samples, 0u);

    // Open JTalk gives up on a text of nothing but characters it cannot read.
    EXPECT_THROW(SynthesizeSpeech("😀", settings, dir / "TEMP", prompter), UserAbort);
    ASSERT_EQ(prompter.prompts().size(), 1u);
    EXPECT_EQ(
        prompter.prompts()[0].message.text.rfind("音声合成に失敗しました（終了コード 1）。", 0),
        0u);
}

}  // namespace
}  // namespace kotar
