// SPDX-License-Identifier: GPL-3.0-or-later
// kotar-cli's device commands run as whole programs against kotar-devsim on a pseudo-terminal,
// with the link tick shortened.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "CliRunner.h"
#include "CommLogLines.h"
#include "DeviceModel.h"
#include "PtyDevice.h"
#include "SimulatorProcess.h"
#include "TempDir.h"
#include "link/Frame.h"
#include "ops/ProgramFile.h"

namespace kotar {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<std::string>;
using test::CliRun;
using test::Pattern;
using test::ProgramFileBytes;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;
using test::WriteText;

class DeviceCommands : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("KOTAR_TEST_BIN_DIR");
        ASSERT_NE(bin, nullptr);
        original_bin_ = bin;
        // A private copy of kotar-cli, so that its communication log (beside the executable)
        // belongs to this test alone.
        fs::create_directories(bin_);
        fs::copy_file(original_bin_ / "kotar-cli", bin_ / "kotar-cli");
        ::setenv("KOTAR_TEST_BIN_DIR", bin_.c_str(), 1);
        ::setenv("KOTAR_LINK_TICK_MS", "20", 1);
        fs::create_directories(start_);
        fs::create_directories(work_);
        WriteText(start_ / "MEVAN.INI", "[CONFIG]\r\nPATH=" + work_.string() +
                                            "\r\nPORT=7\r\n[PORTS]\r\nCOM7=" + port_.string() +
                                            "\r\nCOM9=" + (dir_ / "absent").string() + "\r\n");
    }

    void TearDown() override {
        StopSim();
        ::setenv("KOTAR_TEST_BIN_DIR", original_bin_.c_str(), 1);
    }

    void StartSim(const std::vector<std::string>& options = {}) {
        sim_.emplace(original_bin_ / "kotar-devsim", port_, dump_);
        ASSERT_TRUE(sim_->Start(options)) << "kotar-devsim did not come up";
    }

    void StopSim() {
        if (sim_)
            sim_->Stop();
    }

    CliRun Run(const std::vector<std::string>& args) {
        return test::RunCli(args, start_, dir_.path());
    }
    Texts Log() const { return test::CommLogTexts(bin_); }
    // What the device holds at address, after the simulator has ended.
    Bytes DeviceMemory(std::size_t address, std::size_t count) {
        return sim_ ? sim_->Memory(address, count) : Bytes{};
    }

    TempDir dir_;
    fs::path original_bin_;
    fs::path bin_ = dir_ / "bin";
    fs::path start_ = dir_ / "start";
    fs::path work_ = dir_ / "work";
    fs::path port_ = dir_ / "dev7";
    fs::path dump_ = dir_ / "memory.bin";
    std::optional<test::SimulatorProcess> sim_;
};

TEST_F(DeviceCommands, WriteThenRead_RoundTripsByteForByte) {
    StartSim();
    const Bytes phrase = Pattern(131072, 1);
    WriteBytes(dir_ / "in.snd", phrase);
    CliRun write = Run({"write", "--file", (dir_ / "in.snd").string()});
    EXPECT_EQ(write.exit_status, 0) << write.err;
    EXPECT_EQ(write.err, "不定フレーズ 書込中\n不定フレーズ書込成功\n");
    CliRun read = Run({"read", (dir_ / "out.snd").string()});
    EXPECT_EQ(read.exit_status, 0) << read.err;
    EXPECT_EQ(read.err, "不定フレーズ 読込中\n不定フレーズ読込成功\n");
    EXPECT_EQ(ReadBytes(dir_ / "out.snd"), phrase);
    EXPECT_FALSE(fs::exists(bin_ / kCurrentLogName));
}

TEST_F(DeviceCommands, DataRead_SavesTheDeviceDataArea) {
    StartSim();
    CliRun run = Run({"data-read", (dir_ / "data.log").string()});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.err, "データ 読込中\nデータ読込成功\n");
    EXPECT_EQ(ReadBytes(dir_ / "data.log"), devsim::DeviceModel::DataAreaContent());
}

TEST_F(DeviceCommands, Program_WritesTheApplicationPaddedAndTheUpdate) {
    StartSim();
    const Bytes app = ProgramFileBytes(384000, "APLI_DEV01", 2);
    WriteBytes(dir_ / "app.bin", app);
    WriteBytes(dir_ / "upd.bin", ProgramFileBytes(4096, "UDPG_DEV01", 3));
    CliRun run = Run({"program", (dir_ / "app.bin").string(), (dir_ / "upd.bin").string()});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.err,
              "アプリケーションファイル: 装置名 DEV01  Ver 1.02  作成日 2026/12/07\n"
              "更新用プログラム: 装置名 DEV01  Ver 1.02  作成日 2026/12/07\n"
              "プログラム 書込中\nプログラム書込成功\n");
    Bytes padded = app;
    padded.resize(393216, 0xFF);
    EXPECT_EQ(DeviceMemory(0x80000, 393216), padded);
    EXPECT_EQ(DeviceMemory(0x70000, 4096), ProgramFileBytes(4096, "UDPG_DEV01", 3));
}

TEST_F(DeviceCommands, Program_RefusesUpperCaseExtensionWithoutOpeningThePort) {
    WriteBytes(dir_ / "app.BIN", ProgramFileBytes(384000, "APLI_DEV01", 2));
    WriteBytes(dir_ / "upd.bin", ProgramFileBytes(4096, "UDPG_DEV01", 3));
    CliRun run = Run({"program", (dir_ / "app.BIN").string(), (dir_ / "upd.bin").string()});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.err,
              "書込ファイル確認: "
              "指定した形式のファイルは書き込めません。\nファイルを確認してください。\n");
    EXPECT_TRUE(Log().empty());
}

TEST_F(DeviceCommands, Program_RefusesAnApplicationWithAWrongCrc) {
    Bytes app = ProgramFileBytes(384000, "APLI_DEV01", 2);
    app[100] ^= 0xFF;
    WriteBytes(dir_ / "app.bin", app);
    WriteBytes(dir_ / "upd.bin", ProgramFileBytes(4096, "UDPG_DEV01", 3));
    CliRun run = Run({"program", (dir_ / "app.bin").string(), (dir_ / "upd.bin").string()});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.err,
              "書込ファイル確認: "
              "選択したファイルの内容が正しくありません。\nファイルを確認してください。\n");
}

TEST_F(DeviceCommands, PortThatCannotBeOpened_IsReportedAndLogged) {
    WriteBytes(dir_ / "in.snd", Pattern(131072, 4));
    CliRun run = Run({"--port", "9", "write", "--file", (dir_ / "in.snd").string()});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.err, "不定フレーズ 書込中\nCOMポートオープンエラー\n");
    EXPECT_EQ(Log(), Texts{"COMポートオープンエラー " + (dir_ / "absent").string()});
}

// A read-only kernel setting refuses a read-write open with EACCES even to root, as a serial port
// refuses a user outside its group.
TEST_F(DeviceCommands, PortThatMayNotBeOpened_AddsTheHintAndLogsTheOpenError) {
    const std::string refused = "/proc/sys/kernel/osrelease";
    WriteText(start_ / "MEVAN.INI", "[CONFIG]\r\nPATH=" + work_.string() +
                                        "\r\nPORT=8\r\n[PORTS]\r\nCOM8=" + refused + "\r\n");
    CliRun run = Run({"data-read", (dir_ / "data.log").string()});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.err,
              "データ 読込中\nCOMポートオープンエラー "
              "ポートを開く権限がありません（dialout グループへの追加が必要です）\n");
    EXPECT_EQ(Log(), Texts{"COMポートオープンエラー " + refused});
    EXPECT_FALSE(fs::exists(dir_ / "data.log"));
}

TEST_F(DeviceCommands, PortInUse_IsRefusedAtOnceUntilTheHolderDies) {
    // The holder waits for an answer to its write start that never comes.
    devsim::DeviceModel model;
    model.AddFault({devsim::DeviceFault::StaysSilent, 0, kCmdWriteStart, 0, 0});
    std::promise<void> asked;
    std::atomic<bool> told{false};
    model.SetRequestObserver([&](int command, int) {
        if (command == kCmdWriteStart && !told.exchange(true))
            asked.set_value();
    });
    devsim::PtyDevice device(model, {port_});
    std::string error;
    ASSERT_TRUE(device.Open(&error)) << error;
    std::atomic<bool> stop{false};
    std::thread sim([&] { device.Run(stop); });
    WriteBytes(dir_ / "in.snd", Pattern(131072, 9));
    ::setenv("KOTAR_LINK_TICK_MS", "60000", 1);  // the holder outlasts the test
    test::CliProcess holder({"write", "--file", (dir_ / "in.snd").string()}, start_, dir_.path());
    ::setenv("KOTAR_LINK_TICK_MS", "20", 1);
    const bool held =
        asked.get_future().wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    const CliRun second = Run({"write", "--file", (dir_ / "in.snd").string()});
    ::kill(holder.pid(), SIGKILL);
    holder.Wait();
    // The holder's death freed the port.
    const CliRun after = Run({"data-read", (dir_ / "data.log").string()});
    stop = true;
    sim.join();
    ASSERT_TRUE(held) << "the first kotar-cli never asked the device";
    EXPECT_EQ(second.exit_status, 1);
    EXPECT_EQ(second.err, "不定フレーズ 書込中\nCOMポートオープンエラー\n");
    EXPECT_EQ(Log(), Texts{"COMポートオープンエラー " + port_.string()});
    EXPECT_EQ(after.exit_status, 0) << after.err;
    EXPECT_EQ(ReadBytes(dir_ / "data.log"), devsim::DeviceModel::DataAreaContent());
}

TEST_F(DeviceCommands, Ports_ListsTheSimulatorUnderItsNumber) {
    StartSim();
    CliRun run = Run({"ports"});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_NE(run.out.find("COM7\tdev7 (COM7)\t" + port_.string() + "\n"), std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("COM9\t"), std::string::npos);  // its device is not there
}

// A slot WAV file in the recording format with a tone and a message text.
std::string ToneWav(std::uint32_t samples, const std::string& text_cp932) {
    std::string out;
    const auto put32 = [&out](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    const auto put16 = [&out](std::uint16_t v) {
        out += static_cast<char>(v & 0xFF);
        out += static_cast<char>(v >> 8);
    };
    const std::uint32_t data_bytes = samples * 2;
    const std::uint32_t text_bytes = static_cast<std::uint32_t>(text_cp932.size());
    out = "RIFF";
    put32(4 + 26 + 8 + data_bytes);
    out += "WAVEfmt ";
    put32(18);
    put16(1);
    put16(1);
    put32(8000);
    put32(16000);
    put16(2);
    put16(16);
    put16(0);
    out += "data";
    put32(data_bytes);
    for (std::uint32_t i = 0; i < samples; ++i) {
        put16(static_cast<std::uint16_t>(static_cast<std::int16_t>((i % 40) * 800 - 16000)));
    }
    out += "LIST";
    put32(4 + 8 + text_bytes + (text_bytes & 1));
    out += "INFOatrb";
    put32(text_bytes);
    out += text_cp932;
    if (text_bytes & 1)
        out += '\0';
    return out;
}

TEST_F(DeviceCommands, WriteProperty_BuildsThePhraseFileAndWritesIt) {
    StartSim();
    fs::create_directories(work_ / "TR_site");
    WriteText(work_ / "TR_site" / "03.wav", ToneWav(8000, "message"));
    CliRun write = Run({"write", "site"});
    EXPECT_EQ(write.exit_status, 0) << write.err;
    EXPECT_EQ(write.err, "不定フレーズ 書込中\n不定フレーズ書込成功\n");
    CliRun verified = Run({"write", "site", "--verify"});
    EXPECT_EQ(verified.exit_status, 0) << verified.err;
    EXPECT_EQ(verified.err,
              "不定フレーズ 書込中\n不定フレーズ 照合中\n不定フレーズ 書込完了（照合一致）\n");
    const Bytes built = ReadBytes(work_ / "TR_site" / "03.snd");
    ASSERT_EQ(built.size(), 131072u);
    EXPECT_NE(built, Bytes(131072, 0xFF));
    // In A/B mode the property has nothing to write.
    CliRun ab = Run({"write", "site", "--mode", "ab"});
    EXPECT_EQ(ab.exit_status, 1);
    EXPECT_EQ(ab.err, "音声データなし\n");
    EXPECT_FALSE(fs::exists(work_ / "TR_site" / "04.snd"));
    EXPECT_EQ(DeviceMemory(0x80000, 131072), built);
}

// The device falls silent at block 20 of a write, and the user signals the program while it
// waits for the answer: the write stops there, without an end request.
class StopSignals : public DeviceCommands, public ::testing::WithParamInterface<int> {};

TEST_P(StopSignals, MidWrite_StopsWithTheStopTextAndExitStatus1) {
    devsim::DeviceModel model;
    model.AddFault({devsim::DeviceFault::StaysSilent, 0, kCmdWriteBlock, 20, 0});
    std::atomic<pid_t> cli{0};
    model.SetRequestObserver([&cli](int command, int block) {
        if (command == kCmdWriteBlock && block == 20 && cli.load() > 0)
            ::kill(cli.load(), GetParam());
    });
    devsim::PtyDevice device(model, {port_});
    std::string error;
    ASSERT_TRUE(device.Open(&error)) << error;
    std::atomic<bool> stop{false};
    std::thread sim([&] { device.Run(stop); });
    WriteBytes(dir_ / "in.snd", Pattern(131072, 6));
    test::CliProcess process({"write", "--file", (dir_ / "in.snd").string()}, start_, dir_.path());
    cli = process.pid();
    const CliRun run = process.Wait();
    stop = true;
    sim.join();
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.err, "不定フレーズ 書込中\n不定フレーズ 書込中止\n");
    EXPECT_EQ(Log(), Texts{"不定フレーズ 書込中止"});
    const std::vector<int>& commands = model.commands();
    ASSERT_GE(commands.size(), 21u);  // start and blocks 1 to 20
    EXPECT_EQ(std::count(commands.begin(), commands.end(), kCmdWriteEnd), 0);
}

INSTANTIATE_TEST_SUITE_P(IntAndTerm, StopSignals, ::testing::Values(SIGINT, SIGTERM),
                         [](const ::testing::TestParamInfo<int>& param_info) {
                             return std::string(param_info.param == SIGINT ? "SIGINT" : "SIGTERM");
                         });

// One injected fault: the command fails (or survives) with its status text and log lines.
struct FaultCase {
    const char* name;
    std::vector<std::string> sim_options;
    const char* command;  // write, read, data-read, program
    int exit_status;
    const char* last_status;
    Texts log;
};

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.name;
}

class DeviceFaults : public DeviceCommands, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(DeviceFaults, CommandReportsTheFault) {
    const FaultCase& c = GetParam();
    StartSim(c.sim_options);
    const std::string command = c.command;
    std::vector<std::string> args{command};
    const fs::path out = dir_ / "out.bin";
    WriteBytes(out, Bytes{'o', 'l', 'd'});
    if (command == "write" || command == "write-verify") {
        WriteBytes(dir_ / "in.snd", Pattern(131072, 5));
        args = {"write", "--file", (dir_ / "in.snd").string()};
        if (command == "write-verify")
            args.push_back("--verify");
    } else if (command == "program") {
        WriteBytes(dir_ / "app.bin", ProgramFileBytes(384000, "APLI_X", 6));
        WriteBytes(dir_ / "upd.bin", ProgramFileBytes(4096, "UDPG_X", 7));
        args = {"program", (dir_ / "app.bin").string(), (dir_ / "upd.bin").string()};
    } else {
        args.push_back(out.string());
    }
    CliRun run = Run(args);
    EXPECT_EQ(run.exit_status, c.exit_status) << run.err;
    ASSERT_FALSE(run.err.empty());
    const std::size_t last_line = run.err.rfind('\n', run.err.size() - 2);
    EXPECT_EQ(run.err.substr(last_line == std::string::npos ? 0 : last_line + 1),
              std::string(c.last_status) + "\n");
    EXPECT_EQ(Log(), c.log);
    if (c.exit_status != 0 && (command == "read" || command == "data-read")) {
        EXPECT_EQ(ReadBytes(out), (Bytes{'o', 'l', 'd'}));  // a failed read changes nothing
    }
}

INSTANTIATE_TEST_SUITE_P(
    InjectedFaults, DeviceFaults,
    ::testing::Values(FaultCase{"RejectedWriteStart",
                                {"--fault", "xxxx", "--command", "9000"},
                                "write",
                                1,
                                "不定フレーズ 書込失敗（応答無し）",
                                {"要求拒否 通信エラー", "不定フレーズ書込開始 通信エラー"}},
                      FaultCase{"RefusedChecksum",
                                {"--fault", "refuse-checksum"},
                                "write",
                                1,
                                "不定フレーズ 書込失敗（応答結果異常）",
                                {"不定フレーズ書込終了 チェックサムエラー"}},
                      FaultCase{"BlockError",
                                {"--fault", "block-error", "--block", "5"},
                                "write",
                                1,
                                "不定フレーズ 書込失敗（応答結果異常）",
                                {"不定フレーズ書込 応答結果エラー"}},
                      FaultCase{"WrongBlockOnWrite",
                                {"--fault", "wrong-block", "--command", "9001", "--block", "7"},
                                "write",
                                1,
                                "不定フレーズ 書込失敗（応答結果異常）",
                                {"不定フレーズ書込 シーケンス不一致エラー シーケンス№ 007"}},
                      FaultCase{"WrongBccTwice",
                                {"--fault", "bad-bcc", "--times", "2"},
                                "data-read",
                                0,
                                "データ読込成功",
                                {"BCCエラー", "BCCエラー"}},
                      FaultCase{"SilentOnce",
                                {"--fault", "silent", "--times", "1", "--command", "9012"},
                                "data-read",
                                0,
                                "データ読込成功",
                                {}},
                      FaultCase{"WrongBlockOnRead",
                                {"--fault", "wrong-block", "--command", "9011", "--block", "12"},
                                "read",
                                1,
                                "不定フレーズ 読込失敗（応答結果異常）",
                                {"不定フレーズ読込 シーケンス不一致エラー シーケンス№ 012"}},
                      FaultCase{"UndefinedReadEnd",
                                {"--fault", "undefined", "--command", "9012"},
                                "data-read",
                                1,
                                "データ 読込失敗（応答無し）",
                                {"要求拒否 無効コマンド", "データ読込終了 通信エラー"}},
                      FaultCase{"StopMidFrameOnce",
                                {"--fault", "stop-mid-frame", "--times", "1", "--command", "9011",
                                 "--block", "3"},
                                "data-read",
                                0,
                                "データ読込成功",
                                {"タイムアウト キャラ間監視 データ"}},
                      FaultCase{"NoiseAndOtherCommand",
                                {"--fault", "noise", "--times", "3", "--fault", "other-command",
                                 "--times", "2"},
                                "data-read",
                                0,
                                "データ読込成功",
                                {}},
                      FaultCase{"RejectedDataBlock",
                                {"--fault", "xxxx", "--command", "9011", "--block", "10"},
                                "data-read",
                                1,
                                "データ 読込失敗（応答無し）",
                                {"要求拒否 通信エラー", "データ読込 通信エラー"}},
                      FaultCase{"VanishesMidWrite",
                                {"--fault", "vanish", "--command", "9001", "--block", "5"},
                                "write",
                                1,
                                "不定フレーズ 書込失敗（回線切断）",
                                {"不定フレーズ書込 通信エラー 回線切断"}},
                      FaultCase{"VanishesMidRead",
                                {"--fault", "vanish", "--command", "9011", "--block", "3"},
                                "data-read",
                                1,
                                "データ 読込失敗（回線切断）",
                                {"データ読込 通信エラー 回線切断"}},
                      FaultCase{"ProgramBlockError",
                                {"--fault", "block-error", "--block", "2"},
                                "program",
                                1,
                                "プログラム 書込失敗（応答結果異常）",
                                {"プログラム書込 応答結果エラー"}}),
    [](const ::testing::TestParamInfo<FaultCase>& param_info) {
        return std::string(param_info.param.name);
    });

// The byte at 418 of the written pattern, stored with bit 0 flipped.
constexpr const char* kMismatchAt418 =
    "不定フレーズ 照合不一致 オフセット 0x0001A2 書込 0x96 読込 0x97 不一致 1 バイト";

INSTANTIATE_TEST_SUITE_P(
    VerifiedWrites, DeviceFaults,
    ::testing::Values(
        FaultCase{"Matching", {}, "write-verify", 0, "不定フレーズ 書込完了（照合一致）", {}},
        FaultCase{"AByteStoredWrong",
                  {"--corrupt-byte", "418"},
                  "write-verify",
                  1,
                  "不定フレーズ 照合失敗（不一致）",
                  {kMismatchAt418}},
        FaultCase{"AFailedReadBack",
                  {"--fault", "xxxx", "--command", "9010"},
                  "write-verify",
                  1,
                  "不定フレーズ 読込失敗（応答無し）",
                  {"要求拒否 通信エラー", "不定フレーズ読込開始 通信エラー"}}),
    [](const ::testing::TestParamInfo<FaultCase>& param_info) {
        return std::string(param_info.param.name);
    });

}  // namespace
}  // namespace kotar
