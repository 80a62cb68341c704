// SPDX-License-Identifier: GPL-3.0-or-later
// kotar-cli.exe of the Windows build run under Wine: against kotar-devsim on a pseudo-terminal
// that Wine sees as COM7 ($WINEPREFIX/dosdevices/com7), and beside kotar-cli of this build for
// results that must not differ. scripts/test-windows.sh runs it with KOTAR_WINDOWS_DIR (the
// shipped folder), KOTAR_WINDOWS_BUILD_DIR (the Windows test programs) and WINEPREFIX set.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "CliRunner.h"
#include "DeviceModel.h"
#include "ScriptedPrompter.h"
#include "SimulatorProcess.h"
#include "SoundServerSetup.h"
#include "TempDir.h"
#include "WavBuilder.h"
#include "audio/LevelAnalysis.h"
#include "audio/WaveFile.h"

namespace kotar {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::CliRun;
using test::Pattern;
using test::ProgramFileBytes;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;
using test::WriteText;

// The path as the Windows program sees it: Wine's drive Z: is the root folder.
std::string WindowsPath(const fs::path& path) {
    std::string text = "Z:" + path.string();
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

// Output of a Windows program: its C runtime ends lines with CR LF.
std::string WithoutCr(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

// 2.5 s of 44.1 kHz stereo whose channels differ: tones at 300 Hz and 3 kHz on the left,
// 700 Hz and 5 kHz (above what 8 kHz keeps) on the right.
Bytes StereoRecording() {
    std::vector<std::int16_t> samples;
    for (int i = 0; i < 110250; ++i) {
        const double t = i / 44100.0;
        const double left =
            0.4 * std::sin(2 * M_PI * 300 * t) + 0.2 * std::sin(2 * M_PI * 3000 * t);
        const double right =
            0.3 * std::sin(2 * M_PI * 700 * t) + 0.3 * std::sin(2 * M_PI * 5000 * t);
        samples.push_back(static_cast<std::int16_t>(std::lrint(left * 32767)));
        samples.push_back(static_cast<std::int16_t>(std::lrint(right * 32767)));
    }
    return test::WavBuilder::Pcm(1, 2, 44100, 16, test::WavBuilder::Samples16(samples));
}

class WindowsCli : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name :
             {"KOTAR_TEST_BIN_DIR", "KOTAR_WINDOWS_DIR", "KOTAR_WINDOWS_BUILD_DIR", "WINEPREFIX"}) {
            ASSERT_NE(std::getenv(name), nullptr)
                << name << " is not set: scripts/test-windows.sh runs these tests";
        }
        linux_bin_ = std::getenv("KOTAR_TEST_BIN_DIR");
        windows_build_ = std::getenv("KOTAR_WINDOWS_BUILD_DIR");
        com7_ = fs::path(std::getenv("WINEPREFIX")) / "dosdevices" / "com7";
        // A private copy of the shipped folder: the communication log beside the program is
        // this test's own.
        fs::copy(std::getenv("KOTAR_WINDOWS_DIR"), bin_, fs::copy_options::recursive);
        ::setenv("KOTAR_LINK_TICK_MS", "20", 1);
        for (const fs::path& folder : {start_, work_, linux_start_, linux_work_})
            fs::create_directories(folder);
        WriteText(start_ / "MEVAN.INI",
                  "[CONFIG]\r\nPATH=" + WindowsPath(work_) + "\r\nPORT=7\r\n");
        WriteText(linux_start_ / "MEVAN.INI", "[CONFIG]\r\nPATH=" + linux_work_.string() + "\r\n");
    }

    void StartSim(const std::vector<std::string>& options = {}) {
        sim_.emplace(linux_bin_ / "kotar-devsim", com7_, dir_ / "memory.bin");
        ASSERT_TRUE(sim_->Start(options)) << "kotar-devsim did not come up";
    }

    // kotar-cli.exe in the start folder; file names are given as Windows paths.
    CliRun Windows(const std::vector<std::string>& args) { return WindowsFrom(bin_, args); }
    // The same from a copy of the shipped folder elsewhere.
    CliRun WindowsFrom(const fs::path& bin, const std::vector<std::string>& args) {
        CliRun run =
            test::RunProgram({"wine", (bin / "kotar-cli.exe").string()}, args, start_, dir_.path());
        run.out = WithoutCr(run.out);
        run.err = WithoutCr(run.err);
        return run;
    }
    // kotar-cli of this build on a work folder of its own.
    CliRun Linux(const std::vector<std::string>& args) {
        return test::RunProgram({(linux_bin_ / "kotar-cli").string()}, args, linux_start_,
                                dir_.path());
    }

    TempDir dir_;
    fs::path linux_bin_;
    fs::path windows_build_;
    fs::path com7_;
    fs::path bin_ = dir_ / "bin";
    fs::path start_ = dir_ / "start";
    fs::path work_ = dir_ / "work";
    fs::path linux_start_ = dir_ / "linux-start";
    fs::path linux_work_ = dir_ / "linux-work";
    std::optional<test::SimulatorProcess> sim_;
};

TEST_F(WindowsCli, WriteAndReadOfAPhraseFileOverCom7) {
    StartSim();
    const Bytes phrase = Pattern(131072, 11);
    WriteBytes(dir_ / "in.snd", phrase);
    const CliRun write = Windows({"--port", "7", "write", "--file", WindowsPath(dir_ / "in.snd")});
    EXPECT_EQ(write.exit_status, 0) << write.err;
    EXPECT_EQ(write.err, "不定フレーズ 書込中\n不定フレーズ書込成功\n");
    const CliRun read = Windows({"--port", "7", "read", WindowsPath(dir_ / "out.snd")});
    EXPECT_EQ(read.exit_status, 0) << read.err;
    EXPECT_EQ(read.err, "不定フレーズ 読込中\n不定フレーズ読込成功\n");
    EXPECT_EQ(ReadBytes(dir_ / "out.snd"), phrase);
    EXPECT_EQ(sim_->Memory(0x80000, 131072), phrase);
}

TEST_F(WindowsCli, DataReadOverCom7) {
    StartSim();
    const CliRun run = Windows({"--port", "7", "data-read", WindowsPath(dir_ / "data.log")});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.err, "データ 読込中\nデータ読込成功\n");
    EXPECT_EQ(ReadBytes(dir_ / "data.log"), devsim::DeviceModel::DataAreaContent());
    EXPECT_EQ(sim_->Memory(0x60000, 0x10000), devsim::DeviceModel::DataAreaContent());
}

TEST_F(WindowsCli, ProgramOverCom7) {
    StartSim();
    const Bytes app = ProgramFileBytes(384000, "APLI_DEV01", 12);
    const Bytes update = ProgramFileBytes(4096, "UDPG_DEV01", 13);
    WriteBytes(dir_ / "app.bin", app);
    WriteBytes(dir_ / "upd.bin", update);
    const CliRun run = Windows(
        {"--port", "7", "program", WindowsPath(dir_ / "app.bin"), WindowsPath(dir_ / "upd.bin")});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.err,
              "アプリケーションファイル: 装置名 DEV01  Ver 1.02  作成日 2026/12/07\n"
              "更新用プログラム: 装置名 DEV01  Ver 1.02  作成日 2026/12/07\n"
              "プログラム 書込中\nプログラム書込成功\n");
    Bytes padded = app;
    padded.resize(393216, 0xFF);
    EXPECT_EQ(sim_->Memory(0x80000, 393216), padded);
    EXPECT_EQ(sim_->Memory(0x70000, 4096), update);
}

// The Win32 serial port's own test (in link_tests.exe) needs the simulator behind COM7, which
// is unplugged by the read-end request.
TEST_F(WindowsCli, SerialPortBackendAgainstTheSimulator) {
    StartSim({"--fault", "vanish", "--command", "9012"});
    ::setenv("KOTAR_TEST_SIM_PORT", "COM7", 1);
    const CliRun run =
        test::RunProgram({"wine", (windows_build_ / "link_tests.exe").string()},
                         {"--gtest_filter=SerialPortWin32.*"}, dir_.path(), dir_.path());
    ::unsetenv("KOTAR_TEST_SIM_PORT");
    EXPECT_EQ(run.exit_status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("[  PASSED  ] 1 test."), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("SKIPPED"), std::string::npos) << run.out;
}

TEST_F(WindowsCli, ImportOfA44kStereoWavGivesTheSameSlotFilesAsOnLinux) {
    WriteBytes(dir_ / "rec.wav", StereoRecording());
    fs::create_directories(work_ / "TR_P");
    fs::create_directories(linux_work_ / "TR_P");
    const CliRun windows =
        Windows({"import", "P", "1", WindowsPath(dir_ / "rec.wav"), "--text", "窓"});
    ASSERT_EQ(windows.exit_status, 0) << windows.err;
    const CliRun linux = Linux({"import", "P", "1", (dir_ / "rec.wav").string(), "--text", "窓"});
    ASSERT_EQ(linux.exit_status, 0) << linux.err;
    const std::vector<std::string> names = test::EntryNames(linux_work_ / "TR_P");
    ASSERT_EQ(test::EntryNames(work_ / "TR_P"), names);
    ASSERT_FALSE(names.empty());
    for (const std::string& name : names) {
        EXPECT_EQ(ReadBytes(work_ / "TR_P" / name), ReadBytes(linux_work_ / "TR_P" / name)) << name;
    }
    EXPECT_GT(ReadBytes(work_ / "TR_P" / "01.wav").size(), 20000u);
}

TEST_F(WindowsCli, AJapanesePropertyNameRoundTrips) {
    const std::string name = "試験物件・東京";
    WriteBytes(dir_ / "rec.wav", StereoRecording());
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"new", name},
          std::vector<std::string>{"import", name, "3", WindowsPath(dir_ / "rec.wav")},
          std::vector<std::string>{"export", name, WindowsPath(dir_ / "windows.snd")}}) {
        const CliRun run = Windows(args);
        EXPECT_EQ(run.exit_status, 0) << args[0] << ": " << run.err;
    }
    const CliRun listed = Windows({"properties"});
    EXPECT_EQ(listed.exit_status, 0) << listed.err;
    EXPECT_EQ(listed.out, name + "\t0 0 1\n");
    EXPECT_TRUE(fs::is_regular_file(work_ / PathFromUtf8("TR_" + name) / "03.wav"));

    ASSERT_EQ(Linux({"new", name}).exit_status, 0);
    ASSERT_EQ(Linux({"import", name, "3", (dir_ / "rec.wav").string()}).exit_status, 0);
    ASSERT_EQ(Linux({"export", name, (dir_ / "linux.snd").string()}).exit_status, 0);
    EXPECT_EQ(ReadBytes(dir_ / "windows.snd"), ReadBytes(dir_ / "linux.snd"));
    EXPECT_EQ(ReadBytes(dir_ / "windows.snd").size(), 131072u);
}

// Open JTalk shipped in the folder speaks a slot: from the folder as made, and from a copy under
// a name that the program's narrow code page cannot spell (its paths go as short names).
TEST_F(WindowsCli, SpeakWithTheShippedOpenJTalkGivesASlotOfSpeech) {
    if (!fs::is_regular_file(bin_ / "open_jtalk" / "open_jtalk.exe")) {
        if (test::RunningInCi())
            FAIL() << "the Windows folder is built with KOTAR_OPENJTALK_DIR in CI";
        GTEST_SKIP() << "the Windows folder ships without Open JTalk";
    }
    const fs::path japanese_bin = dir_.path() / PathFromUtf8("音声合成フォルダ");
    fs::copy(bin_, japanese_bin, fs::copy_options::recursive);
    ASSERT_EQ(Windows({"new", "P"}).exit_status, 0);
    for (const auto& [bin, slot] : {std::pair{bin_, 1}, std::pair{japanese_bin, 2}}) {
        SCOPED_TRACE(PathToUtf8(bin));
        const CliRun run = WindowsFrom(bin, {"speak", "P", std::to_string(slot), "火事です。"});
        ASSERT_EQ(run.exit_status, 0) << run.err;
        test::ScriptedPrompter prompter;
        const CWaveFile phrase(PathToUtf8(work_ / "TR_P" / ("0" + std::to_string(slot) + ".wav")),
                               CWaveFile::kAudioMode, prompter);
        EXPECT_TRUE(HasLevelFormat(phrase));
        // About a second of speech, 16-bit at 8000 Hz.
        EXPECT_GT(phrase.length(), 2u * 8000 / 2);
        EXPECT_LT(phrase.length(), 2u * 8000 * 4);
        EXPECT_GT(MeasureLevels(phrase).loudness_lufs, -40.0);
    }
}

}  // namespace
}  // namespace kotar
