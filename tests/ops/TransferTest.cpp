// SPDX-License-Identifier: GPL-3.0-or-later
// The transfer operations against the simulated device behind a scripted port.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CommLogLines.h"
#include "DeviceModel.h"
#include "FakeSerialPort.h"
#include "TempDir.h"
#include "link/Frame.h"
#include "link/LinkTimer.h"
#include "link/PortList.h"
#include "ops/MaintenanceTransfer.h"
#include "ops/PhraseTransfer.h"
#include "ops/ProgramFile.h"

namespace kotar {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<std::string>;
using devsim::DeviceFault;
using devsim::DeviceModel;
using test::ReadBytes;
using test::WriteBytes;

class RecordingSink : public TransferSink {
public:
    void SetStatus(const std::string& text) override { statuses.push_back(text); }
    void SetProgressRange(int maximum) override { range = maximum; }
    void SetProgress(int position) override { positions.push_back(position); }

    Texts statuses;
    int range = 0;
    std::vector<int> positions;
};

Bytes Pattern(std::size_t size, unsigned seed) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>((i * 2654435761u + seed) >> 13);
    }
    return bytes;
}

class TransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        LinkTimer::Instance().SetTickMs(2);
        environment_.log_folder = dir_.path();
        environment_.make_port = [line = line_] {
            return std::make_unique<test::FakeSerialPort>(line);
        };
        line_->respond = [this](std::span<const std::uint8_t> request) {
            return model_.Receive(request);
        };
    }

    Texts Log() const { return test::CommLogTexts(dir_.path()); }
    std::vector<int> Range(int from, int to) const {
        std::vector<int> v;
        for (int i = from; i <= to; ++i)
            v.push_back(i);
        return v;
    }

    test::TempDir dir_;
    std::shared_ptr<test::FakeLine> line_ = std::make_shared<test::FakeLine>();
    DeviceModel model_;
    LinkEnvironment environment_;
    RecordingSink sink_;
};

TEST_F(TransferTest, PhraseWrite_PutsTheFileIntoTheDeviceWithProgressOneTo129) {
    const Bytes phrase = Pattern(kPhraseFileBytes, 1);
    WriteBytes(dir_ / "01.snd", phrase);
    EXPECT_EQ(WritePhraseFile(dir_ / "01.snd", 1, environment_, sink_),
              PhraseWriteOutcome::kWritten);
    EXPECT_EQ(sink_.statuses, (Texts{"不定フレーズ 書込中", "不定フレーズ書込成功"}));
    EXPECT_EQ(sink_.range, 129);
    EXPECT_EQ(sink_.positions, Range(1, 129));
    const auto stored = model_.Memory(0x80000, kPhraseFileBytes);
    EXPECT_TRUE(std::equal(phrase.begin(), phrase.end(), stored.begin()));
    EXPECT_FALSE(line_->is_open);
    EXPECT_TRUE(Log().empty());
    // Start, 128 blocks, end.
    EXPECT_EQ(model_.requests_received(), 130);
}

TEST_F(TransferTest, PhraseWrite_FileOfWrongSizeNeverOpensThePort) {
    for (std::size_t size : {kPhraseFileBytes - 1, kPhraseFileBytes + 1}) {
        WriteBytes(dir_ / "bad.snd", Bytes(size, 0));
        RecordingSink sink;
        EXPECT_EQ(WritePhraseFile(dir_ / "bad.snd", 1, environment_, sink),
                  PhraseWriteOutcome::kFailed);
        EXPECT_EQ(sink.statuses, (Texts{"不定フレーズ 書込中", "不定フレーズファイル読込エラー"}));
    }
    EXPECT_EQ(line_->opens, 0);
    EXPECT_EQ(Log(), (Texts{"不定フレーズファイル読込エラー", "不定フレーズファイル読込エラー"}));
}

TEST_F(TransferTest, PhraseWrite_PortThatWillNotOpen) {
    WriteBytes(dir_ / "01.snd", Pattern(kPhraseFileBytes, 2));
    line_->open_fails = true;
    EXPECT_EQ(WritePhraseFile(dir_ / "01.snd", 3, environment_, sink_),
              PhraseWriteOutcome::kFailed);
    EXPECT_EQ(sink_.statuses, (Texts{"不定フレーズ 書込中", "COMポートオープンエラー"}));
    EXPECT_EQ(Log(), Texts{"COMポートオープンエラー " + NativeDevicePath(3)});
}

TEST_F(TransferTest, PortThatMayNotBeOpened_EveryTransferAddsTheHint) {
    const std::string refused =
        "COMポートオープンエラー ポートを開く権限がありません（dialout "
        "グループへの追加が必要です）";
    WriteBytes(dir_ / "01.snd", Pattern(kPhraseFileBytes, 2));
    line_->open_fails = true;
    line_->open_denied = true;
    EXPECT_EQ(WritePhraseFile(dir_ / "01.snd", 3, environment_, sink_),
              PhraseWriteOutcome::kFailed);
    EXPECT_FALSE(ReadPhrasesToFile(dir_ / "back.snd", 3, environment_, sink_));
    EXPECT_FALSE(ReadDataToFile(dir_ / "data.log", 3, environment_, sink_));
    EXPECT_EQ(sink_.statuses, (Texts{"不定フレーズ 書込中", refused, "不定フレーズ 読込中", refused,
                                     "データ 読込中", refused}));
    EXPECT_EQ(Log(), Texts(3, "COMポートオープンエラー " + NativeDevicePath(3)));
}

TEST_F(TransferTest, PhraseWrite_FailuresNameTheirKind) {
    WriteBytes(dir_ / "01.snd", Pattern(kPhraseFileBytes, 3));
    model_.AddFault({DeviceFault::RejectsRequest, 1, kCmdWriteStart, 0, 0});
    EXPECT_EQ(WritePhraseFile(dir_ / "01.snd", 1, environment_, sink_),
              PhraseWriteOutcome::kFailed);
    model_.AddFault({DeviceFault::RefusesChecksum, 1, 0, 0, 0});
    EXPECT_EQ(WritePhraseFile(dir_ / "01.snd", 1, environment_, sink_),
              PhraseWriteOutcome::kFailed);
    EXPECT_EQ(sink_.statuses,
              (Texts{"不定フレーズ 書込中", "不定フレーズ 書込失敗（応答無し）",
                     "不定フレーズ 書込中", "不定フレーズ 書込失敗（応答結果異常）"}));
    EXPECT_FALSE(line_->is_open);
}

TEST_F(TransferTest, PhraseRead_SavesWhatTheDeviceHolds) {
    WriteBytes(dir_ / "in.snd", Pattern(kPhraseFileBytes, 4));
    ASSERT_EQ(WritePhraseFile(dir_ / "in.snd", 1, environment_, sink_),
              PhraseWriteOutcome::kWritten);
    RecordingSink sink;
    EXPECT_TRUE(ReadPhrasesToFile(dir_ / "out.snd", 1, environment_, sink));
    EXPECT_EQ(sink.statuses, (Texts{"不定フレーズ 読込中", "不定フレーズ読込成功"}));
    EXPECT_EQ(sink.positions, Range(1, 129));
    EXPECT_EQ(ReadBytes(dir_ / "out.snd"), ReadBytes(dir_ / "in.snd"));
}

TEST_F(TransferTest, PhraseRead_FailureAtBlock100LeavesTheOutputUntouched) {
    WriteBytes(dir_ / "out.snd", Bytes{'o', 'l', 'd'});
    model_.AddFault({DeviceFault::EchoesWrongBlockNumber, 0, 0, 100, 0});
    EXPECT_FALSE(ReadPhrasesToFile(dir_ / "out.snd", 1, environment_, sink_));
    EXPECT_EQ(sink_.statuses,
              (Texts{"不定フレーズ 読込中", "不定フレーズ 読込失敗（応答結果異常）"}));
    EXPECT_EQ(sink_.positions, Range(1, 100));
    EXPECT_EQ(ReadBytes(dir_ / "out.snd"), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(Log(), Texts{"不定フレーズ読込 シーケンス不一致エラー シーケンス№ 100"});
}

TEST_F(TransferTest, PhraseRead_RejectedEndLeavesTheOutputUntouched) {
    WriteBytes(dir_ / "out.snd", Bytes{'o', 'l', 'd'});
    model_.AddFault({DeviceFault::RejectsRequest, 1, kCmdReadEnd, 0, 0});
    EXPECT_FALSE(ReadPhrasesToFile(dir_ / "out.snd", 1, environment_, sink_));
    EXPECT_EQ(sink_.statuses.back(), "不定フレーズ 読込失敗（応答無し）");
    EXPECT_EQ(ReadBytes(dir_ / "out.snd"), (Bytes{'o', 'l', 'd'}));
}

TEST_F(TransferTest, PhraseRead_OutputThatCannotBeWritten) {
    EXPECT_FALSE(ReadPhrasesToFile(dir_ / "missing" / "out.snd", 1, environment_, sink_));
    EXPECT_EQ(sink_.statuses, (Texts{"不定フレーズ 読込中", "不定フレーズファイル書込エラー"}));
    EXPECT_EQ(Log(), Texts{"不定フレーズファイル書込エラー"});
    EXPECT_FALSE(line_->is_open);
}

class ProgramTransferTest : public TransferTest {
protected:
    void SetUp() override {
        TransferTest::SetUp();
        application_.image = Pattern(kApplicationImageBytes, 5);
        application_.checksum = 0;
        for (std::uint8_t b : application_.image)
            application_.checksum += b;
        application_.path = "app.bin";
        update_.image = Pattern(kUpdateFileBytes, 6);
        for (std::uint8_t b : update_.image)
            update_.checksum += b;
        update_.path = "upd.bin";
    }
    ProgramSelection application_;
    ProgramSelection update_;
};

TEST_F(ProgramTransferTest, ProgramWrite_WritesBothAreasWithProgressTo389) {
    EXPECT_TRUE(WriteProgram(application_, update_, 1, environment_, sink_));
    EXPECT_EQ(sink_.statuses, (Texts{"プログラム 書込中", "プログラム書込成功"}));
    EXPECT_EQ(sink_.range, 389);
    EXPECT_EQ(sink_.positions, Range(1, 389));
    const auto app = model_.Memory(0x80000, kApplicationImageBytes);
    EXPECT_TRUE(std::equal(app.begin(), app.end(), application_.image.begin()));
    const auto upd = model_.Memory(0x70000, kUpdateFileBytes);
    EXPECT_TRUE(std::equal(upd.begin(), upd.end(), update_.image.begin()));
    EXPECT_EQ(line_->opens, 2);  // each area over a port opened for it
    EXPECT_EQ(model_.requests_received(), 392);
}

TEST_F(ProgramTransferTest, ProgramWrite_UnansweredApplicationStartSkipsTheUpdate) {
    model_.AddFault({DeviceFault::StaysSilent, 0, kCmdWriteStart, 0, 0});
    EXPECT_FALSE(WriteProgram(application_, update_, 1, environment_, sink_));
    EXPECT_EQ(sink_.statuses, (Texts{"プログラム 書込中", "プログラム 書込失敗（応答無し）"}));
    EXPECT_EQ(line_->opens, 1);
    EXPECT_EQ(line_->writes.size(), 6u);
    EXPECT_EQ(Log(), (Texts{"タイムアウト 無応答", "プログラム書込開始 通信エラー"}));
}

TEST_F(ProgramTransferTest, ProgramWrite_BlockErrorEndsTheWrite) {
    model_.AddFault({DeviceFault::ReportsBlockError, 1, 0, 4, 0});
    EXPECT_FALSE(WriteProgram(application_, update_, 1, environment_, sink_));
    EXPECT_EQ(sink_.statuses.back(), "プログラム 書込失敗（応答結果異常）");
    EXPECT_EQ(Log(), Texts{"プログラム書込 応答結果エラー"});
}

TEST_F(TransferTest, DataRead_SavesTheDataArea) {
    EXPECT_TRUE(ReadDataToFile(dir_ / "data.log", 1, environment_, sink_));
    EXPECT_EQ(sink_.statuses, (Texts{"データ 読込中", "データ読込成功"}));
    EXPECT_EQ(sink_.range, 65);
    EXPECT_EQ(sink_.positions, Range(1, 65));
    EXPECT_EQ(ReadBytes(dir_ / "data.log"), DeviceModel::DataAreaContent());
}

TEST_F(TransferTest, DataRead_FailuresKeepTheOldFile) {
    WriteBytes(dir_ / "data.log", Bytes{1, 2, 3});
    model_.AddFault({DeviceFault::RejectsRequest, 1, kCmdReadBlock, 0, 0});
    EXPECT_FALSE(ReadDataToFile(dir_ / "data.log", 1, environment_, sink_));
    EXPECT_FALSE(ReadDataToFile(dir_ / "no" / "data.log", 1, environment_, sink_));
    EXPECT_EQ(sink_.statuses, (Texts{"データ 読込中", "データ 読込失敗（応答無し）",
                                     "データ 読込中", "データファイル書込エラー"}));
    EXPECT_EQ(ReadBytes(dir_ / "data.log"), (Bytes{1, 2, 3}));
    EXPECT_EQ(Log(),
              (Texts{"要求拒否 通信エラー", "データ読込 通信エラー", "データファイル書込エラー"}));
}

TEST_F(TransferTest, PhraseWriteVerified_ReadsTheAreaBackOverTheSamePort) {
    const Bytes phrase = Pattern(kPhraseFileBytes, 7);
    WriteBytes(dir_ / "01.snd", phrase);
    EXPECT_EQ(WritePhraseFile(dir_ / "01.snd", 1, environment_, sink_, true),
              PhraseWriteOutcome::kWritten);
    EXPECT_EQ(sink_.statuses, (Texts{"不定フレーズ 書込中", "不定フレーズ 照合中",
                                     "不定フレーズ 書込完了（照合一致）"}));
    EXPECT_EQ(sink_.range, 257);
    EXPECT_EQ(sink_.positions, Range(1, 257));
    std::vector<int> expected{kCmdWriteStart};
    expected.insert(expected.end(), 128, kCmdWriteBlock);
    expected.push_back(kCmdWriteEnd);
    expected.push_back(kCmdReadStart);
    expected.insert(expected.end(), 128, kCmdReadBlock);
    expected.push_back(kCmdReadEnd);
    EXPECT_EQ(model_.commands(), expected);
    EXPECT_EQ(line_->opens, 1);
    EXPECT_FALSE(line_->is_open);
    EXPECT_TRUE(Log().empty());
}

// A verified phrase write whose write step fails: the failure is shown and nothing is read back.
struct FailedWriteCase {
    const char* name;
    std::optional<devsim::FaultRule> fault;  // none: the user stops at block 50
    const char* status;
    const char* log;
};
void PrintTo(const FailedWriteCase& c, std::ostream* os) {
    *os << c.name;
}

class VerifiedWriteFailure : public TransferTest,
                             public ::testing::WithParamInterface<FailedWriteCase> {};

TEST_P(VerifiedWriteFailure, ReportsTheWriteFailureAndReadsNothingBack) {
    const FailedWriteCase& c = GetParam();
    WriteBytes(dir_ / "01.snd", Pattern(kPhraseFileBytes, 13));
    if (c.fault)
        model_.AddFault(*c.fault);
    else
        environment_.stop_requested = [this] {
            return !sink_.positions.empty() && sink_.positions.back() == 50;
        };
    EXPECT_EQ(WritePhraseFile(dir_ / "01.snd", 1, environment_, sink_, true),
              PhraseWriteOutcome::kFailed);
    EXPECT_EQ(sink_.statuses, (Texts{"不定フレーズ 書込中", c.status}));
    EXPECT_EQ(Log(), Texts{c.log});
    const std::vector<int>& commands = model_.commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), kCmdReadStart), 0);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), kCmdReadBlock), 0);
    EXPECT_FALSE(line_->is_open);
}

INSTANTIATE_TEST_SUITE_P(
    WriteStep, VerifiedWriteFailure,
    ::testing::Values(
        FailedWriteCase{
            "RefusedChecksum", devsim::FaultRule{DeviceFault::RefusesChecksum, 1, 0, 0, 0, 0},
            "不定フレーズ 書込失敗（応答結果異常）", "不定フレーズ書込終了 チェックサムエラー"},
        FailedWriteCase{"BlockError",
                        devsim::FaultRule{DeviceFault::ReportsBlockError, 1, 0, 4, 0, 0},
                        "不定フレーズ 書込失敗（応答結果異常）", "不定フレーズ書込 応答結果エラー"},
        FailedWriteCase{"Stop", std::nullopt, "不定フレーズ 書込中止", "不定フレーズ 書込中止"}),
    [](const ::testing::TestParamInfo<FailedWriteCase>& param_info) {
        return std::string(param_info.param.name);
    });

// A transfer stopped by the user once its progress reached a position.
struct StopCase {
    const char* name;
    std::function<bool(const LinkEnvironment&, TransferSink&, const std::filesystem::path&)> run;
    int stop_at;  // progress position
    const char* status;
    int requests;  // complete requests the device received in all
    std::vector<int> last_commands;
};

void PrintTo(const StopCase& c, std::ostream* os) {
    *os << c.name;
}

class TransferStopTest : public ProgramTransferTest,
                         public ::testing::WithParamInterface<StopCase> {};

TEST_P(TransferStopTest, EndsAfterTheCurrentExchangeSendingNothingMore) {
    const StopCase& c = GetParam();
    WriteBytes(dir_ / "in.snd", Pattern(kPhraseFileBytes, 10));
    WriteBytes(dir_ / "out.bin", Bytes{'o', 'l', 'd'});
    class StoppingSink : public RecordingSink {
    public:
        void SetProgress(int position) override {
            RecordingSink::SetProgress(position);
            stop = stop || position == stop_at;
        }
        int stop_at = 0;
        bool stop = false;
    } sink;
    sink.stop_at = c.stop_at;
    environment_.stop_requested = [&sink] { return sink.stop; };
    EXPECT_FALSE(c.run(environment_, sink, dir_.path()));
    EXPECT_EQ(sink.statuses.back(), c.status);
    EXPECT_EQ(sink.positions.back(), c.stop_at);
    EXPECT_EQ(Log(), Texts{c.status});  // the one line of the stop
    EXPECT_EQ(model_.requests_received(), c.requests);
    EXPECT_EQ(line_->writes.size(), static_cast<std::size_t>(c.requests));
    const std::vector<int>& commands = model_.commands();
    EXPECT_EQ(std::vector<int>(commands.end() - static_cast<std::ptrdiff_t>(c.last_commands.size()),
                               commands.end()),
              c.last_commands);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), kCmdWriteEnd),
              std::count(c.last_commands.begin(), c.last_commands.end(), kCmdWriteEnd));
    EXPECT_EQ(ReadBytes(dir_ / "out.bin"), (Bytes{'o', 'l', 'd'}));  // a stopped read saves nothing
    EXPECT_FALSE(line_->is_open);
}

INSTANTIATE_TEST_SUITE_P(
    EveryTransfer, TransferStopTest,
    ::testing::Values(
        StopCase{"PhraseWrite",
                 [](auto& e, auto& s, auto& d) {
                     return WritePhraseFile(d / "in.snd", 1, e, s) == PhraseWriteOutcome::kWritten;
                 },
                 50,
                 "不定フレーズ 書込中止",
                 50,
                 {kCmdWriteBlock, kCmdWriteBlock}},
        StopCase{
            "PhraseRead",
            [](auto& e, auto& s, auto& d) { return ReadPhrasesToFile(d / "out.bin", 1, e, s); },
            129,
            "不定フレーズ 読込中止",
            129,
            {kCmdReadBlock}},
        // The write has been taken; only its check is left out.
        StopCase{"PhraseWriteVerified",
                 [](auto& e, auto& s, auto& d) {
                     return WritePhraseFile(d / "in.snd", 1, e, s, true) ==
                            PhraseWriteOutcome::kWritten;
                 },
                 131,
                 "不定フレーズ 照合中止",
                 133,
                 {kCmdWriteEnd, kCmdReadStart, kCmdReadBlock, kCmdReadBlock}},
        StopCase{"DataRead",
                 [](auto& e, auto& s, auto& d) { return ReadDataToFile(d / "out.bin", 1, e, s); },
                 1,
                 "データ 読込中止",
                 0,
                 {}},
        StopCase{"ProgramWrite",
                 [](auto& e, auto& s, auto&) {
                     ProgramSelection a, u;
                     a.image = Pattern(kApplicationImageBytes, 5);
                     u.image = Pattern(kUpdateFileBytes, 6);
                     return WriteProgram(a, u, 1, e, s);
                 },
                 300,
                 "プログラム 書込中止",
                 300,
                 {kCmdWriteBlock}}),
    [](const ::testing::TestParamInfo<StopCase>& param_info) {
        return std::string(param_info.param.name);
    });

TEST_F(TransferTest, Stop_WhileASilentDeviceIsAwaitedEndsTheWaitAtTheNextStep) {
    WriteBytes(dir_ / "01.snd", Pattern(kPhraseFileBytes, 11));
    model_.AddFault({DeviceFault::StaysSilent, 0, kCmdWriteBlock, 5, 0});
    // The user presses stop during the third step of the wait for block 5's answer.
    bool stop = false;
    int steps_after_block5 = 0;
    environment_.event_pump = [&] {
        if (line_->writes.size() == 6 && ++steps_after_block5 == 3)
            stop = true;
    };
    environment_.stop_requested = [&stop] { return stop; };
    EXPECT_EQ(WritePhraseFile(dir_ / "01.snd", 1, environment_, sink_),
              PhraseWriteOutcome::kFailed);
    EXPECT_EQ(sink_.statuses.back(), "不定フレーズ 書込中止");
    EXPECT_EQ(steps_after_block5, 3);     // the wait ended there, not at its timeout
    EXPECT_EQ(line_->writes.size(), 6u);  // start, blocks 1 to 5, each once
    EXPECT_EQ(Log(), Texts{"不定フレーズ 書込中止"});
}

TEST_F(TransferTest, Stop_AfterTheEndRequestWasSentAwaitsItsVerdict) {
    WriteBytes(dir_ / "01.snd", Pattern(kPhraseFileBytes, 12));
    bool stop = false;
    line_->respond = [&](std::span<const std::uint8_t> request) {
        stop = stop || request.size() == 14;  // the end request, the one without data
        return model_.Receive(request);
    };
    environment_.stop_requested = [&stop] { return stop; };
    EXPECT_EQ(WritePhraseFile(dir_ / "01.snd", 1, environment_, sink_),
              PhraseWriteOutcome::kWritten);
    EXPECT_EQ(sink_.statuses.back(), "不定フレーズ書込成功");
    EXPECT_EQ(model_.commands().back(), kCmdWriteEnd);
    EXPECT_TRUE(Log().empty());
}

}  // namespace
}  // namespace kotar
