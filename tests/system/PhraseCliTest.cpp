// SPDX-License-Identifier: GPL-3.0-or-later
// kotar-cli import and export run as whole processes on a work folder made for the test.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "CliRunner.h"
#include "ScriptedPrompter.h"
#include "TempDir.h"
#include "WavBuilder.h"
#include "audio/MuLaw.h"
#include "audio/WaveFile.h"

namespace kotar {
namespace {

using test::ReadBytes;
using test::ReadText;
using test::TempDir;
using test::WavBuilder;
using test::WriteBytes;
using test::WriteText;

class PhraseCliTest : public ::testing::Test {
protected:
    PhraseCliTest() {
        std::filesystem::create_directories(work() / "TR_P");
        WriteText(dir_ / "MEVAN.INI", "[CONFIG]\r\nPATH=" + work().string() + "\r\n");
    }

    std::filesystem::path work() const { return dir_.path() / "work"; }

    // Runs kotar-cli in the test folder (HOME there too); returns its exit status, stderr in
    // err_.
    int Cli(const std::vector<std::string>& arguments) {
        test::CliRun run = test::RunCli(arguments, dir_.path(), dir_.path());
        err_ = run.err;
        return run.exit_status;
    }

    // A spoken-like test signal: a 440 Hz tone under a slow envelope, 44.1 kHz stereo.
    void WriteRecording(const std::string& name, double seconds) {
        std::vector<std::int16_t> samples;
        const auto frames = static_cast<std::size_t>(seconds * 44100);
        for (std::size_t i = 0; i < frames; ++i) {
            const double t = static_cast<double>(i) / 44100;
            const double v = 0.5 * std::sin(2 * M_PI * 440 * t) * (0.6 + 0.4 * std::sin(3 * t));
            samples.push_back(static_cast<std::int16_t>(std::lrint(v * 32767)));
            samples.push_back(static_cast<std::int16_t>(std::lrint(v * 32767)));
        }
        WriteBytes(dir_ / name, WavBuilder::Pcm(1, 2, 44100, 16, WavBuilder::Samples16(samples)));
    }

    // The samples of a slot WAV file.
    std::vector<std::int16_t> SlotSamples(int slot) {
        test::ScriptedPrompter prompter;
        CWaveFile wave((work() / "TR_P" / ("0" + std::to_string(slot) + ".wav")).string(),
                       CWaveFile::kAudioMode, prompter);
        std::vector<std::int16_t> out(wave.length() / 2);
        for (std::size_t i = 0; i < out.size(); ++i) {
            out[i] = static_cast<std::int16_t>(wave.data()[2 * i] | (wave.data()[2 * i + 1] << 8));
        }
        return out;
    }

    TempDir dir_;
    std::string err_;
};

TEST_F(PhraseCliTest, ImportThenExportGivesAnImageThatDecodesToThePhrase) {
    WriteRecording("voice.wav", 3.0);
    ASSERT_EQ(Cli({"import", "P", "3", "voice.wav", "--text", "テスト"}), 0) << err_;
    const std::vector<std::int16_t> phrase = SlotSamples(3);
    ASSERT_EQ(phrase.size(), 24020u);  // 3 s at 8000 Hz, rounded past the next block

    ASSERT_EQ(Cli({"export", "P", "out.snd"}), 0) << err_;
    EXPECT_EQ(err_, "ファイルの書込みが正常終了しました。\n");
    const std::vector<std::uint8_t> image = ReadBytes(dir_ / "out.snd");
    ASSERT_EQ(image.size(), 131072u);
    double error_energy = 0, signal_energy = 0;
    for (std::size_t i = 0; i < phrase.size(); ++i) {
        ASSERT_EQ(image[i], MuLawEncode(phrase[i])) << i;
        const double d = MuLawDecode(image[i]) - phrase[i];
        error_energy += d * d;
        signal_energy += static_cast<double>(phrase[i]) * phrase[i];
    }
    // G.711 keeps the phrase some 35 dB above its own quantisation noise.
    EXPECT_GT(10 * std::log10(signal_energy / error_energy), 30.0);
    EXPECT_TRUE(
        std::all_of(image.begin() + 24020, image.end(), [](std::uint8_t b) { return b == 0xFF; }));
}

TEST_F(PhraseCliTest, ABModeExportsBothSlotsAndTooLongImportsAreCut) {
    WriteRecording("long.wav", 5.6);
    ASSERT_EQ(Cli({"import", "P", "1", "long.wav", "--text", "A"}), 0) << err_;
    WriteRecording("short.wav", 1.0);
    ASSERT_EQ(Cli({"import", "P", "2", "short.wav", "--text", "B"}), 0) << err_;
    EXPECT_EQ(err_, "");
    ASSERT_EQ(Cli({"export", "P", "ab.snd", "--mode", "ab"}), 0) << err_;
    const std::vector<std::uint8_t> image = ReadBytes(dir_ / "ab.snd");
    ASSERT_EQ(image.size(), 131072u);
    const std::vector<std::int16_t> a = SlotSamples(1), b = SlotSamples(2);
    EXPECT_EQ(image[100], MuLawEncode(a[100]));
    EXPECT_EQ(image[65536 + 100], MuLawEncode(b[100]));
    EXPECT_EQ(image[65536 + b.size()], 0xFF);

    // 10 s into slot 1 (at most 8.192 s): cut with a notice.
    WriteBytes(dir_ / "ten.wav",
               WavBuilder::Pcm(1, 1, 8000, 16, std::vector<std::uint8_t>(160000, 1)));
    ASSERT_EQ(Cli({"import", "P", "1", "ten.wav", "--text", "A"}), 0) << err_;
    EXPECT_EQ(err_, "録音サイズが長すぎます。8.192秒以降を削除しました。\n");
    EXPECT_EQ(SlotSamples(1).size(), 65536u);
}

TEST_F(PhraseCliTest, TwentySecondsOfCdQualityAreImportedAndCutToTheSlotMaximum) {
    WriteRecording("twenty.wav", 20.0);
    ASSERT_EQ(Cli({"import", "P", "1", "twenty.wav", "--text", "A"}), 0) << err_;
    EXPECT_EQ(err_, "録音サイズが長すぎます。8.192秒以降を削除しました。\n");
    const std::vector<std::uint8_t> slot = ReadBytes(work() / "TR_P" / "01.wav");
    ASSERT_EQ(slot.size(), 46u + 131072 + 22);  // LIST: "INFO", atrb, "A" and a pad byte
    const std::vector<std::uint8_t> data_header(slot.begin() + 38, slot.begin() + 46);
    EXPECT_EQ(data_header, (std::vector<std::uint8_t>{'d', 'a', 't', 'a', 0x00, 0x00, 0x02, 0x00}));
}

TEST_F(PhraseCliTest, ExportsOfTwoPropertiesRunAtOnceEachHoldTheirOwnPhrases) {
    WriteRecording("p.wav", 2.0);
    WriteBytes(dir_ / "q.wav",
               WavBuilder::Pcm(1, 1, 8000, 16, std::vector<std::uint8_t>(24000, 0x30)));
    ASSERT_EQ(Cli({"import", "P", "3", "p.wav", "--text", "P"}), 0) << err_;
    std::filesystem::create_directories(work() / "TR_Q");
    ASSERT_EQ(Cli({"import", "Q", "3", "q.wav", "--text", "Q"}), 0) << err_;
    ASSERT_EQ(Cli({"export", "P", "p.snd"}), 0) << err_;
    ASSERT_EQ(Cli({"export", "Q", "q.snd"}), 0) << err_;
    const auto expected_p = ReadBytes(dir_ / "p.snd");
    const auto expected_q = ReadBytes(dir_ / "q.snd");
    ASSERT_NE(expected_p, expected_q);

    for (int round = 0; round < 10; ++round) {
        const std::string p = "p" + std::to_string(round) + ".snd";
        const std::string q = "q" + std::to_string(round) + ".snd";
        test::CliProcess p_run({"export", "P", p}, dir_.path(), dir_.path());
        test::CliProcess q_run({"export", "Q", q}, dir_.path(), dir_.path());
        const test::CliRun p_done = p_run.Wait();
        const test::CliRun q_done = q_run.Wait();
        EXPECT_EQ(p_done.exit_status, 0) << p_done.err;
        EXPECT_EQ(q_done.exit_status, 0) << q_done.err;
        EXPECT_TRUE(ReadBytes(dir_ / p) == expected_p) << "round " << round;
        EXPECT_TRUE(ReadBytes(dir_ / q) == expected_q) << "round " << round;
    }
    EXPECT_TRUE(std::filesystem::is_empty(work() / "TEMP"));
}

TEST_F(PhraseCliTest, RefusalsAndUsageErrors) {
    // More than 64 MiB of sample data (one stereo frame more): refused, the slot kept.
    WriteRecording("short.wav", 0.5);
    ASSERT_EQ(Cli({"import", "P", "1", "short.wav", "--text", "A"}), 0) << err_;
    const std::vector<std::uint8_t> slot = ReadBytes(work() / "TR_P" / "01.wav");
    WavBuilder::WriteSilentPcm(dir_ / "big.wav", 2, 44100, 16, 64u * 1024 * 1024 + 4);
    EXPECT_EQ(Cli({"import", "P", "1", "big.wav", "--text", "B"}), 1);
    EXPECT_EQ(err_, "ファイルが大きすぎます（最大 64 MiB）。\n");
    EXPECT_EQ(ReadBytes(work() / "TR_P" / "01.wav"), slot);
    EXPECT_EQ(Cli({"import", "P", "4", "big.wav"}), 2);
    EXPECT_EQ(Cli({"import", "NOPE", "1", "big.wav", "--text", "A"}), 1);
    EXPECT_EQ(Cli({"export", "P", "x.snd", "--mode", "sideways"}), 2);
    EXPECT_EQ(Cli({"export", "P", "x.snd"}), 1);  // no phrase in slot 3
    EXPECT_EQ(err_, "音声データなし\n");
    EXPECT_FALSE(std::filesystem::exists(dir_ / "x.snd"));

    // An unreadable slot file (110) of the mode fails the export, naming it: nothing is
    // exported. A/B mode does not draw on slot 3.
    WriteBytes(work() / "TR_P" / "03.wav", {'R', 'I', 'F', 'F'});
    EXPECT_EQ(Cli({"export", "P", "x.snd"}), 1);
    EXPECT_EQ(err_,
              "サウンドファイルを開けませんでした。\n「３．音声フレーズＡ＋Ｂ」の音声ファイルを"
              "読み込めないため、音声データを作成できません。\n" +
                  (work() / "TR_P" / "03.wav").string() +
                  "\n音声を作成し直すか、削除してください。\n");
    EXPECT_FALSE(std::filesystem::exists(dir_ / "x.snd"));
    EXPECT_EQ(Cli({"export", "P", "x.snd", "--mode", "ab"}), 0) << err_;
}

}  // namespace
}  // namespace kotar
