// The transfer operations against the simulated device behind a scripted port.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
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
        environment_.poll_pause = [] { std::this_thread::yield(); };
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
    EXPECT_TRUE(WritePhraseFile(dir_ / "01.snd", 1, environment_, sink_));
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
        EXPECT_FALSE(WritePhraseFile(dir_ / "bad.snd", 1, environment_, sink));
        EXPECT_EQ(sink.statuses, (Texts{"不定フレーズ 書込中", "不定フレーズファイル読込エラー"}));
    }
    EXPECT_EQ(line_->opens, 0);
    EXPECT_EQ(Log(), (Texts{"不定フレーズファイル読込エラー", "不定フレーズファイル読込エラー"}));
}

TEST_F(TransferTest, PhraseWrite_PortThatWillNotOpen) {
    WriteBytes(dir_ / "01.snd", Pattern(kPhraseFileBytes, 2));
    line_->open_fails = true;
    EXPECT_FALSE(WritePhraseFile(dir_ / "01.snd", 3, environment_, sink_));
    EXPECT_EQ(sink_.statuses, (Texts{"不定フレーズ 書込中", "COMポートオープンエラー"}));
    EXPECT_EQ(Log(), Texts{"COMポートオープンエラー " + NativeDevicePath(3)});
}

TEST_F(TransferTest, PhraseWrite_FailuresNameTheirKind) {
    WriteBytes(dir_ / "01.snd", Pattern(kPhraseFileBytes, 3));
    model_.AddFault({DeviceFault::RejectsRequest, 1, kCmdWriteStart, 0, 0});
    EXPECT_FALSE(WritePhraseFile(dir_ / "01.snd", 1, environment_, sink_));
    model_.AddFault({DeviceFault::RefusesChecksum, 1, 0, 0, 0});
    EXPECT_FALSE(WritePhraseFile(dir_ / "01.snd", 1, environment_, sink_));
    EXPECT_EQ(sink_.statuses,
              (Texts{"不定フレーズ 書込中", "不定フレーズ 書込失敗（応答無し）",
                     "不定フレーズ 書込中", "不定フレーズ 書込失敗（応答結果異常）"}));
    EXPECT_FALSE(line_->is_open);
}

TEST_F(TransferTest, PhraseRead_SavesWhatTheDeviceHolds) {
    WriteBytes(dir_ / "in.snd", Pattern(kPhraseFileBytes, 4));
    ASSERT_TRUE(WritePhraseFile(dir_ / "in.snd", 1, environment_, sink_));
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

}  // namespace
}  // namespace kotar
