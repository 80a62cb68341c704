// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/Configuration.h"

#include <gtest/gtest.h>

#include "ScriptedPrompter.h"
#include "TempDir.h"
#include "common/Cp932.h"
#include "common/Messages.h"

namespace kotar {
namespace {

using test::ReadText;
using test::ScriptedPrompter;
using test::TempDir;
using test::WriteText;

// cp932 forms of the default slot texts.
const std::string kName1 =
    "\x82\x50\x81\x44\x89\xb9\x90\xba\x83\x74\x83\x8c\x81\x5b\x83\x59\x82\x60";
const std::string kName2 =
    "\x82\x51\x81\x44\x89\xb9\x90\xba\x83\x74\x83\x8c\x81\x5b\x83\x59\x82\x61";
const std::string kName3 =
    "\x82\x52\x81\x44\x89\xb9\x90\xba\x83\x74\x83\x8c\x81\x5b\x83\x59\x82\x60\x81\x7b\x82\x61";
const std::string kComment1 = "\x89\xb9\x90\xba\x83\x74\x83\x8c\x81\x5b\x83\x59\x82\x60";
const std::string kComment2 = "\x89\xb9\x90\xba\x83\x74\x83\x8c\x81\x5b\x83\x59\x82\x61";
const std::string kComment3 =
    "\x89\xb9\x90\xba\x83\x74\x83\x8c\x81\x5b\x83\x59\x82\x60\x81\x7b\x82\x61";

// The whole file as a load writes it, with the given CONFIG values.
std::string ExpectedIni(const std::string& path, const std::string& delay, const std::string& port,
                        const std::string& disk) {
    return "[CONFIG]\r\nPATH=" + path + "\r\nRECDELAY=" + delay + "\r\nPORT=" + port +
           "\r\nDISK=" + disk + "\r\n[VOICE1]\r\nname=" + kName1 + "\r\ncomment=" + kComment1 +
           "\r\n[VOICE2]\r\nname=" + kName2 + "\r\ncomment=" + kComment2 +
           "\r\n[VOICE3]\r\nname=" + kName3 + "\r\ncomment=" + kComment3 + "\r\n";
}

class ConfigurationTest : public ::testing::Test {
protected:
    ConfigurationTest() : ini_(ConfigurationFilePath(start_.path())) {
        std::filesystem::create_directory(work_);
    }
    std::filesystem::path IniPath() const { return ConfigurationFilePath(start_.path()); }
    // An INI whose CONFIG section has the given extra lines after a valid PATH.
    void WriteConfig(const std::string& lines) {
        WriteText(IniPath(), "[CONFIG]\r\nPATH=" + work_.string() + "\r\n" + lines);
    }
    Configuration Load() { return LoadConfiguration(ini_, prompter_, default_folder_); }

    TempDir start_;
    TempDir home_;
    std::filesystem::path work_ = start_ / "work";
    std::filesystem::path default_folder_ = home_ / "MEVAN" / "DATA";
    ProfileFile ini_;
    ScriptedPrompter prompter_;
};

TEST_F(ConfigurationTest, FirstStartShows148CreatesTheDefaultFolderAndWritesEveryKey) {
    Configuration config = Load();

    ASSERT_EQ(prompter_.prompts().size(), 1u);
    const MessageRequest& shown = prompter_.prompts()[0].message;
    EXPECT_EQ(shown.message_id, kMsgWorkFolderMissing);
    EXPECT_EQ(shown.text,
              "作業フォルダが見つかりませんでした。\n初期状態の作業フォルダを適用します。");
    EXPECT_EQ(shown.icon, MessageIcon::Exclamation);
    EXPECT_TRUE(std::filesystem::is_directory(default_folder_));

    EXPECT_EQ(config.work_folder, default_folder_.string());
    EXPECT_EQ(config.record_delay_s, 3);
    EXPECT_EQ(config.slot_captions[0], "１．音声フレーズＡ");
    EXPECT_EQ(config.slot_captions[2], "３．音声フレーズＡ＋Ｂ");
    EXPECT_EQ(config.slot_comments[1], "音声フレーズＢ");
    EXPECT_EQ(config.slot_max_seconds[2], 16.384);
    EXPECT_EQ(ReadText(IniPath()), ExpectedIni(default_folder_.string(), "3", "1", "5"));

    // The second start finds everything in place: nothing shown, nothing changed.
    prompter_.Clear();
    Load();
    EXPECT_TRUE(prompter_.prompts().empty());
    EXPECT_EQ(ReadText(IniPath()), ExpectedIni(default_folder_.string(), "3", "1", "5"));
}

TEST_F(ConfigurationTest, AWorkFolderThatCannotBeEnteredIsReplacedByTheDefault) {
    WriteText(IniPath(), "[CONFIG]\r\nPATH=" + (start_ / "gone").string() + "\r\n");
    Configuration config = Load();
    EXPECT_EQ(prompter_.MessageIds(), std::vector<int>{kMsgWorkFolderMissing});
    EXPECT_EQ(config.work_folder, default_folder_.string());
    EXPECT_EQ(ini_.GetString("CONFIG", "PATH", ""), default_folder_.string());

    // A folder that exists is kept as it is.
    prompter_.Clear();
    WriteConfig("");
    EXPECT_EQ(Load().work_folder, work_.string());
    EXPECT_TRUE(prompter_.prompts().empty());
}

struct Correction {
    std::string delay_in, port_in, disk_in;  // as found in the file
    std::string delay, port, disk;           // as written back
    int expected_delay_s;                    // kept by the window
};

class ConfigurationCorrection : public ConfigurationTest,
                                public ::testing::WithParamInterface<Correction> {};

TEST_P(ConfigurationCorrection, ValuesAreCorrectedAndWrittenBack) {
    const Correction& c = GetParam();
    WriteConfig("RECDELAY=" + c.delay_in + "\r\nPORT=" + c.port_in + "\r\nDISK=" + c.disk_in +
                "\r\n");
    Configuration config = Load();
    EXPECT_EQ(config.record_delay_s, c.expected_delay_s);
    EXPECT_EQ(ReadText(IniPath()), ExpectedIni(work_.string(), c.delay, c.port, c.disk));
    EXPECT_TRUE(prompter_.prompts().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ConfigurationCorrection,
    ::testing::Values(
        Correction{"4", "1", "5", "4", "1", "5", 4}, Correction{"0", "1", "5", "0", "1", "5", 0},
        Correction{"5", "1", "5", "5", "1", "5", 5}, Correction{"7", "1", "5", "3", "1", "5", 3},
        Correction{"2s", "1", "5", "3", "1", "5", 3}, Correction{"-1", "1", "5", "3", "1", "5", 3},
        Correction{"", "1", "5", "3", "1", "5", 3}, Correction{"3", "1", "100", "3", "1", "100", 3},
        Correction{"3", "1", "0", "3", "1", "0", 3}, Correction{"3", "1", "101", "3", "1", "5", 3},
        Correction{"3", "1", "-1", "3", "1", "5", 3}, Correction{"3", "0", "5", "3", "0", "5", 3},
        Correction{"4294967295", "1", "5", "3", "1", "5", 3},
        Correction{"3", "12", "5", "3", "12", "5", 3},
        Correction{"3", "-1", "5", "3", "-1", "5", 3},
        Correction{"3", "0x10", "0x10", "3", "16", "16", 3}));

TEST_F(ConfigurationTest, SlotTextsAreCutAtCharacterBoundariesAndEmptyOnesDefaulted) {
    // 40 cp932 bytes: "x", nineteen double-byte characters, "y". The cut at 32 bytes would
    // split the sixteenth character, so 31 bytes remain.
    std::string long_name = "x";
    for (int i = 0; i < 19; ++i)
        long_name += "音";
    long_name += "y";
    std::string ascii_name(40, 'n');
    WriteConfig("[VOICE1]\r\nname=" + Utf8ToCp932(long_name) + "\r\ncomment=\r\n[VOICE2]\r\nname=" +
                ascii_name + "\r\ncomment=abcdefghijklmnopqrstuvwxyz\r\n[VOICE3]\r\ncomment=" +
                Utf8ToCp932("音声フレーズＡＢＣＤＥ") + "\r\n");
    Configuration config = Load();

    std::string cut = "x";
    for (int i = 0; i < 15; ++i)
        cut += "音";
    EXPECT_EQ(config.slot_captions[0], cut);
    EXPECT_EQ(config.slot_comments[0], "音声フレーズＡ");
    EXPECT_EQ(config.slot_captions[1], std::string(32, 'n'));
    EXPECT_EQ(config.slot_comments[1], "abcdefghijklmnopqrst");
    EXPECT_EQ(config.slot_captions[2], "３．音声フレーズＡ＋Ｂ");
    EXPECT_EQ(config.slot_comments[2], "音声フレーズＡＢＣＤ");  // 22 bytes cut to 20

    EXPECT_EQ(ReadText(IniPath()),
              "[CONFIG]\r\nPATH=" + work_.string() +
                  "\r\nRECDELAY=3\r\nPORT=1\r\nDISK=5\r\n[VOICE1]\r\nname=" + Utf8ToCp932(cut) +
                  "\r\ncomment=" + kComment1 + "\r\n[VOICE2]\r\nname=" + std::string(32, 'n') +
                  "\r\ncomment=abcdefghijklmnopqrst\r\n[VOICE3]\r\ncomment=" +
                  Utf8ToCp932("音声フレーズＡＢＣＤ") + "\r\nname=" + kName3 + "\r\n");
}

TEST_F(ConfigurationTest, OtherSectionsAndLfLinesSurviveALoad) {
    WriteText(IniPath(),
              "[PORTS]\nCOM3=/dev/ttyUSB7\n[CONFIG]\nPATH=" + work_.string() + "\nPORT=3\n");
    Load();
    EXPECT_EQ(ReadText(IniPath()).substr(0, 64),
              ("[PORTS]\nCOM3=/dev/ttyUSB7\n[CONFIG]\nPATH=" + work_.string() +
               "\nPORT=3\nRECDELAY=3\r\nDISK=5\r\n[VOICE1]\r\n")
                  .substr(0, 64));
    EXPECT_EQ(ini_.GetString("PORTS", "COM3", ""), "/dev/ttyUSB7");
    EXPECT_EQ(ReadPortNumber(ini_), 3);
}

TEST_F(ConfigurationTest, DiskPercentIsClampedAndWrittenBack) {
    WriteConfig("DISK=250\r\n");
    EXPECT_EQ(LoadDiskPercent(ini_), 5u);
    EXPECT_EQ(ini_.GetString("CONFIG", "DISK", ""), "5");
    ini_.WriteString("CONFIG", "DISK", "0x20");
    EXPECT_EQ(LoadDiskPercent(ini_), 32u);
    EXPECT_EQ(ini_.GetString("CONFIG", "DISK", ""), "32");
}

// Another copy stores PATH while this start shows 148 for the folder it could not enter.
class StoringPrompter : public ScriptedPrompter {
public:
    StoringPrompter(ProfileFile& ini, std::string path) : ini_(ini), path_(std::move(path)) {}
    using ScriptedPrompter::ShowMessage;
    MessageAnswer ShowMessage(const MessageRequest& request) override {
        ProfileFile(ini_.path()).WriteString("CONFIG", "PATH", path_);
        return ScriptedPrompter::ShowMessage(request);
    }

private:
    ProfileFile& ini_;
    std::string path_;
};

TEST_F(ConfigurationTest, AStartKeepsAPathAnotherCopyStoredMeanwhile) {
    WriteText(IniPath(), "[CONFIG]\r\nPATH=" + (start_ / "gone").string() + "\r\n");
    StoringPrompter prompter(ini_, work_.string());
    const Configuration config = LoadConfiguration(ini_, prompter, default_folder_);
    EXPECT_EQ(prompter.MessageIds(), std::vector<int>{kMsgWorkFolderMissing});
    EXPECT_EQ(config.work_folder, default_folder_.string());
    EXPECT_EQ(ini_.GetString("CONFIG", "PATH", ""), work_.string());
    EXPECT_EQ(ReadText(IniPath()), ExpectedIni(work_.string(), "3", "1", "5"));
}

TEST(MaintenanceMode, OnlyTheLastArgumentCountsAndItsCaseMatters) {
    using Args = std::vector<std::string>;
    EXPECT_TRUE(IsMaintenanceMode(Args{"maintenance"}));
    EXPECT_TRUE(IsMaintenanceMode(Args{"/maintenance"}));
    EXPECT_TRUE(IsMaintenanceMode(Args{"-maintenance"}));
    EXPECT_TRUE(IsMaintenanceMode(Args{"other", "maintenance"}));
    EXPECT_FALSE(IsMaintenanceMode(Args{"MAINTENANCE"}));
    EXPECT_FALSE(IsMaintenanceMode(Args{}));
    EXPECT_FALSE(IsMaintenanceMode(Args{"maintenance", "other"}));
    EXPECT_FALSE(IsMaintenanceMode(Args{"--maintenance"}));
    EXPECT_FALSE(IsMaintenanceMode(Args{"maintenance "}));
}

}  // namespace
}  // namespace kotar
