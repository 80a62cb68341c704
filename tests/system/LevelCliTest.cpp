// SPDX-License-Identifier: GPL-3.0-or-later
// kotar-cli loudness, normalize and trim run as whole processes on a slot of a test property.
#include <gtest/gtest.h>

#include <string>

#include "CliRunner.h"
#include "PhraseSignals.h"
#include "ScriptedPrompter.h"
#include "TempDir.h"
#include "audio/LevelAnalysis.h"
#include "audio/WaveFile.h"

namespace kotar {
namespace {

using test::Concat;
using test::ReadBytes;
using test::Silence;
using test::Tone;

class LevelCliTest : public ::testing::Test {
protected:
    LevelCliTest() {
        std::filesystem::create_directories(work() / "TR_P");
        WriteIni("");
    }

    std::filesystem::path work() const { return dir_.path() / "work"; }
    std::filesystem::path Slot(int slot) const {
        return work() / "TR_P" / ("0" + std::to_string(slot) + ".wav");
    }
    void WriteIni(const std::string& lines) {
        test::WriteText(dir_ / "MEVAN.INI", "[CONFIG]\r\nPATH=" + work().string() + "\r\n" + lines);
    }
    void WriteSlot(int slot, const std::vector<std::int16_t>& samples) {
        ASSERT_EQ(test::PhraseOf(samples, prompter_).Save(Slot(slot).string(), "火災です"), 1);
    }
    // A slot file whose header claims another format for the same sample bytes.
    void WriteSlotAs(int slot, const std::vector<std::int16_t>& samples, std::uint16_t channels,
                     std::uint32_t samples_per_sec, std::uint16_t bits_per_sample) {
        CSoundCtrl phrase = test::PhraseOf(samples, prompter_);
        phrase.SetFormat(kFormatPcm, channels, samples_per_sec, bits_per_sample);
        ASSERT_EQ(phrase.Save(Slot(slot).string(), "火災です"), 1);
    }
    CWaveFile ReadSlot(int slot, int mode = CWaveFile::kAudioMode) {
        return CWaveFile(Slot(slot).string(), mode, prompter_);
    }
    // Runs kotar-cli in the test folder; its exit status, stdout in out_ and stderr in err_.
    int Cli(const std::vector<std::string>& arguments) {
        const test::CliRun run = test::RunCli(arguments, dir_.path(), dir_.path());
        out_ = run.out;
        err_ = run.err;
        return run.exit_status;
    }

    test::TempDir dir_;
    test::ScriptedPrompter prompter_;
    std::string out_;
    std::string err_;
};

TEST_F(LevelCliTest, LoudnessPrintsOneLineAndNormalizeReachesTheTargetKeepingTheText) {
    WriteSlot(2, Tone(1000, -30, 16000));
    const auto before = ReadBytes(Slot(2));
    ASSERT_EQ(Cli({"loudness", "P", "2"}), 0) << err_;
    EXPECT_EQ(out_, "peak -30.0 dBFS, loudness -33.0 LUFS, clipped 0\n");
    EXPECT_EQ(ReadBytes(Slot(2)), before);

    ASSERT_EQ(Cli({"normalize", "P", "2"}), 0) << err_;
    EXPECT_EQ(out_, "peak -13.0 dBFS, loudness -16.0 LUFS, clipped 0\n");
    EXPECT_EQ(ReadSlot(2, CWaveFile::kAttributeMode).AttributeText(), "火災です");
    EXPECT_NEAR(MeasureLevels(ReadSlot(2)).loudness_lufs, -16.0, 0.5);
    ASSERT_EQ(Cli({"normalize", "P", "2", "--target", "-20.5"}), 0) << err_;
    EXPECT_EQ(out_, "peak -17.5 dBFS, loudness -20.5 LUFS, clipped 0\n");
    WriteIni("LOUDNESS=-25\r\n");
    ASSERT_EQ(Cli({"normalize", "P", "2"}), 0) << err_;
    EXPECT_EQ(out_, "peak -22.0 dBFS, loudness -25.0 LUFS, clipped 0\n");
}

TEST_F(LevelCliTest, TrimKeepsTheSoundAndOneHundredMillisecondsEachSide) {
    WriteSlot(3, Concat({Silence(8000), Tone(1000, -20, 8000), Silence(8000)}));
    ASSERT_EQ(Cli({"trim", "P", "3"}), 0) << err_;
    // The silent edges lower the 400 ms gating blocks that reach into them.
    EXPECT_EQ(out_, "peak -20.0 dBFS, loudness -23.2 LUFS, clipped 0\n");
    EXPECT_EQ(test::SamplesOf(ReadSlot(3)),
              Concat({Silence(800), Tone(1000, -20, 8000), Silence(800)}));
    EXPECT_EQ(ReadSlot(3, CWaveFile::kAttributeMode).AttributeText(), "火災です");
}

TEST_F(LevelCliTest, SilenceIsLeftAloneAndAChangedPhraseKeepsTheSlotsLimit) {
    WriteSlot(2, Silence(16000));
    const auto before = ReadBytes(Slot(2));
    for (const std::string command : {"loudness", "normalize", "trim"}) {
        ASSERT_EQ(Cli({command, "P", "2"}), 0) << command << err_;
        EXPECT_EQ(out_, "peak -inf dBFS, loudness -inf LUFS, clipped 0\n") << command;
        // A command that changes a phrase says that it left this one alone.
        EXPECT_EQ(err_, command == "loudness" ? "" : "無音のため変更しませんでした。\n");
        EXPECT_EQ(ReadBytes(Slot(2)), before) << command;
    }
    WriteSlot(1, Tone(1000, -30, 80000));  // 10 s in a slot of 8.192 s
    ASSERT_EQ(Cli({"normalize", "P", "1"}), 0) << err_;
    EXPECT_EQ(err_, "録音サイズが長すぎます。8.192秒以降を削除しました。\n");
    EXPECT_EQ(ReadSlot(1).length(), 131'072u);
}

TEST_F(LevelCliTest, RefusalsAndUsageErrors) {
    WriteSlot(1, Tone(1000, -30, 8000));
    const auto before = ReadBytes(Slot(1));
    for (const std::vector<std::string>& wrong :
         std::vector<std::vector<std::string>>{{"normalize", "P", "1", "--target", "-3"},
                                               {"normalize", "P", "1", "--target", "loud"},
                                               {"trim", "P", "4"},
                                               {"loudness", "P"}})
        EXPECT_EQ(Cli(wrong), 2) << wrong.back();
    EXPECT_EQ(ReadBytes(Slot(1)), before);
    EXPECT_EQ(Cli({"trim", "P", "2"}), 1);
    EXPECT_EQ(err_, "kotar-cli: slot 2 of 'P' holds no phrase\n");
    EXPECT_EQ(Cli({"loudness", "NOPE", "1"}), 1);
    // An unreadable file is reported once, whether the scan or the command meets it.
    test::WriteBytes(Slot(3), {'R', 'I', 'F', 'F'});
    EXPECT_EQ(Cli({"loudness", "P", "3"}), 1);
    EXPECT_EQ(err_, "サウンドファイルを開けませんでした。\n");
    test::WriteBytes(Slot(1), {'R', 'I', 'F', 'F'});
    WriteSlot(3, Tone(1000, -30, 8000));
    EXPECT_EQ(Cli({"loudness", "P", "3"}), 0);
    EXPECT_EQ(err_, "サウンドファイルを開けませんでした。\n");
}

struct OddHeader {
    const char* name;
    std::uint16_t channels;
    std::uint32_t samples_per_sec;
    std::uint16_t bits_per_sample;
};
void PrintTo(const OddHeader& header, std::ostream* out) {
    *out << header.name;
}

class LevelCliOddHeader : public LevelCliTest, public ::testing::WithParamInterface<OddHeader> {};

TEST_P(LevelCliOddHeader, IsRefusedAsUnreadableAndTheFileStaysAsItWas) {
    const OddHeader& odd = GetParam();
    WriteSlotAs(1, Concat({Silence(8000), Tone(1000, -30, 16000)}), odd.channels,
                odd.samples_per_sec, odd.bits_per_sample);
    const auto before = ReadBytes(Slot(1));
    for (const char* command : {"loudness", "normalize", "trim"}) {
        EXPECT_EQ(Cli({command, "P", "1"}), 1) << command;
        EXPECT_EQ(err_, "サウンドファイルを開けませんでした。\n") << command;
        EXPECT_EQ(out_, "") << command;
        EXPECT_EQ(ReadBytes(Slot(1)), before) << command;
    }
}

INSTANTIATE_TEST_SUITE_P(Headers, LevelCliOddHeader,
                         ::testing::Values(OddHeader{"Rate16", 1, 16, 16},
                                           OddHeader{"Rate17", 1, 17, 16},
                                           OddHeader{"Rate44100", 1, 44100, 16},
                                           OddHeader{"Stereo", 2, 8000, 16},
                                           OddHeader{"EightBit", 1, 8000, 8}),
                         [](const ::testing::TestParamInfo<OddHeader>& param_info) {
                             return std::string(param_info.param.name);
                         });

}  // namespace
}  // namespace kotar
