// SPDX-License-Identifier: GPL-3.0-or-later
// kotar-cli speak runs as a whole process with the stand-in synthesizer of MEVAN.INI.
#include <gtest/gtest.h>

#include <string>

#include "CliRunner.h"
#include "PhraseSignals.h"
#include "ScriptedPrompter.h"
#include "StandInSynthesizer.h"
#include "TempDir.h"
#include "audio/WaveFile.h"

namespace kotar {
namespace {

using Behaviour = test::StandInSynthesizer::Behaviour;

class SpeakCliTest : public ::testing::Test {
protected:
    SpeakCliTest() {
        std::filesystem::create_directories(work() / "TR_P");
        test::WriteText(dir_ / "MEVAN.INI", "[CONFIG]\r\nPATH=" + work().string() + "\r\n");
        ProfileFile ini(dir_ / "MEVAN.INI");
        stand_in_.WriteTo(ini);
    }

    std::filesystem::path work() const { return dir_.path() / "work"; }
    std::filesystem::path Slot(int slot) const {
        return work() / "TR_P" / ("0" + std::to_string(slot) + ".wav");
    }
    int Cli(const std::vector<std::string>& arguments) {
        const test::CliRun run = test::RunCli(arguments, dir_.path(), dir_.path());
        out_ = run.out;
        err_ = run.err;
        return run.exit_status;
    }
    CWaveFile ReadSlot(int slot, int mode = CWaveFile::kAudioMode) {
        return CWaveFile(Slot(slot).string(), mode, prompter_);
    }

    test::TempDir dir_;
    test::StandInSynthesizer stand_in_{dir_ / "synth"};
    test::ScriptedPrompter prompter_;
    std::string out_;
    std::string err_;
};

TEST_F(SpeakCliTest, SpeaksIntoAnEmptySlotTrimmedAndEvened) {
    ASSERT_EQ(Cli({"speak", "P", "3", "火事です。"}), 0) << err_;
    EXPECT_EQ(out_, "peak -12.4 dBFS, loudness -16.0 LUFS, clipped 0\n");
    const CWaveFile slot = ReadSlot(3);
    EXPECT_EQ(slot.format().samples_per_sec, 8000u);
    // About the 1 s tone with 100 ms kept around it.
    EXPECT_EQ(slot.length(), 19198u);
    EXPECT_EQ(ReadSlot(3, CWaveFile::kAttributeMode).AttributeText(), "音声フレーズＡ＋Ｂ");
    EXPECT_EQ(test::ReadText(work() / "TR_P" / "03.speech"), "火事です。");
    EXPECT_EQ(stand_in_.Rate(), "1.00\n");
}

TEST_F(SpeakCliTest, KeepsTheMessageTextAndTakesTheRateWithoutLevelling) {
    ASSERT_EQ(test::PhraseOf(test::Silence(800), prompter_).Save(Slot(1).string(), "火災です"), 1);
    ASSERT_EQ(Cli({"speak", "P", "1", "避難してください", "--rate", "1.5", "--no-level"}), 0)
        << err_;
    EXPECT_EQ(ReadSlot(1).length(), 25600u + 40u);
    EXPECT_EQ(ReadSlot(1, CWaveFile::kAttributeMode).AttributeText(), "火災です");
    EXPECT_EQ(stand_in_.Rate(), "1.50\n");
}

TEST_F(SpeakCliTest, AFailureLeavesTheSlotAsItWasWithANonZeroExit) {
    ASSERT_EQ(test::PhraseOf(test::Silence(800), prompter_).Save(Slot(2).string(), "火災です"), 1);
    const std::vector<std::uint8_t> before = test::ReadBytes(Slot(2));
    stand_in_.Set(Behaviour::kCrash);
    EXPECT_EQ(Cli({"speak", "P", "2", "火事です。"}), 1);
    EXPECT_NE(err_.find("音声合成プログラムが異常終了しました（シグナル 11）。"), std::string::npos)
        << err_;
    stand_in_.Set(Behaviour::kSpeak);
    EXPECT_EQ(Cli({"speak", "P", "2", "　"}), 1);
    EXPECT_NE(err_.find("読み上げる文章を入力してください。"), std::string::npos) << err_;
    EXPECT_EQ(Cli({"speak", "P", "2", "火事です。", "--rate", "3"}), 2);
    EXPECT_EQ(test::ReadBytes(Slot(2)), before);
    EXPECT_FALSE(std::filesystem::exists(work() / "TR_P" / "02.speech"));
}

}  // namespace
}  // namespace kotar
