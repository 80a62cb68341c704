// SPDX-License-Identifier: GPL-3.0-or-later
// The link over a real pseudo-terminal against the simulated device, with a shortened tick.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <memory>
#include <numeric>
#include <thread>

#include "CommLogLines.h"
#include "DeviceModel.h"
#include "PtyDevice.h"
#include "TempDir.h"
#include "link/LinkTimer.h"
#include "link/SerialCom.h"
#include "ops/TransferSequence.h"

namespace kotar {
namespace {

using devsim::DeviceFault;
using devsim::DeviceModel;
using devsim::FaultRule;
using devsim::PtyDevice;
using Texts = std::vector<std::string>;

// The simulated device on a pseudo-terminal, answering from its own thread.
class PtyLinkTest : public ::testing::Test {
protected:
    void SetUp() override { LinkTimer::Instance().SetTickMs(20); }

    void StartDevice() {
        device_ = std::make_unique<PtyDevice>(model_, PtyDevice::Options{dir_ / "port"});
        std::string error;
        ASSERT_TRUE(device_->Open(&error)) << error;
        thread_ = std::thread([this] { device_->Run(stop_); });
        test::WriteText(dir_ / "MEVAN.INI",
                        "[PORTS]\r\nCOM12=" + (dir_ / "port").string() + "\r\n");
        environment_.log_folder = dir_.path();
        environment_.ini = ini_.get();
        link_ = std::make_unique<SerialCom>(environment_);
        ASSERT_TRUE(link_->OpenPort(12));
    }

    void TearDown() override {
        if (link_)
            link_->ClosePort();
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }

    Texts Log() const { return test::CommLogTexts(dir_.path()); }

    test::TempDir dir_;
    std::unique_ptr<ProfileFile> ini_ = std::make_unique<ProfileFile>(dir_ / "MEVAN.INI");
    DeviceModel model_;
    std::unique_ptr<PtyDevice> device_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    LinkEnvironment environment_;
    std::unique_ptr<SerialCom> link_;
};

std::vector<std::uint8_t> Pattern(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 31 + 7) >> 3);
    return bytes;
}

TEST_F(PtyLinkTest, WriteThenReadBack_RoundTripsEveryByte) {
    StartDevice();
    const auto image = Pattern(8 * 1024 + 300);  // a short last block as well
    int blocks = 0;
    ASSERT_EQ(RunWriteSequence(*link_, KIND_PHRASE_WRITE, 0x80000, image, AdditiveChecksum(image),
                               [&] { ++blocks; }),
              TRANSFER_OK);
    EXPECT_EQ(blocks, 9);
    const auto stored = model_.Memory(0x80000, image.size());
    EXPECT_TRUE(std::equal(image.begin(), image.end(), stored.begin()));
    EXPECT_EQ(model_.Memory(0x80000 + image.size(), 1)[0], 0xFF);

    std::vector<std::uint8_t> back(9 * 1024, 0);
    ASSERT_EQ(RunReadSequence(*link_, KIND_PHRASE_READ, 0x80000, back, nullptr), TRANSFER_OK);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), back.begin()));
    EXPECT_TRUE(std::all_of(back.begin() + static_cast<std::ptrdiff_t>(image.size()), back.end(),
                            [](std::uint8_t b) { return b == 0xFF; }));
    EXPECT_TRUE(Log().empty());
}

TEST_F(PtyLinkTest, WrongChecksum_IsRefusedAtWriteEnd) {
    StartDevice();
    const auto image = Pattern(2048);
    EXPECT_EQ(RunWriteSequence(*link_, KIND_PROGRAM_WRITE, 0x70000, image,
                               AdditiveChecksum(image) + 1, nullptr),
              TRANSFER_BAD_RESPONSE);
    EXPECT_EQ(Log(), Texts{"プログラム書込終了 チェックサムエラー"});
}

TEST_F(PtyLinkTest, RecoverableFaults_AreSurvivedWithTheirLogLines) {
    model_.AddFault({DeviceFault::SendsWrongBcc, 2, 9001, 0, 0});
    model_.AddFault({DeviceFault::SendsNoiseBeforeStx, 1, 9000, 0, 0});
    model_.AddFault({DeviceFault::AnswersOtherCommand, 1, 9002, 0, 0});
    model_.AddFault({DeviceFault::StopsMidFrame, 1, 9011, 2, 200});
    model_.AddFault({DeviceFault::StaysSilent, 1, 9010, 0, 0});
    StartDevice();
    const auto image = Pattern(4096);
    ASSERT_EQ(RunWriteSequence(*link_, KIND_PHRASE_WRITE, 0x80000, image, AdditiveChecksum(image),
                               nullptr),
              TRANSFER_OK);
    std::vector<std::uint8_t> back(4096);
    ASSERT_EQ(RunReadSequence(*link_, KIND_PHRASE_READ, 0x80000, back, nullptr), TRANSFER_OK);
    EXPECT_EQ(back, image);
    // The silent read start costs one no-response timeout and leaves no line.
    EXPECT_EQ(Log(), (Texts{"BCCエラー", "BCCエラー", "タイムアウト キャラ間監視 データ"}));
}

TEST_F(PtyLinkTest, DeviceFailures_EndTheSequenceWithTheirCodes) {
    model_.AddFault({DeviceFault::RejectsRequest, 1, 9000, 0, 0});
    model_.AddFault({DeviceFault::ReportsBlockError, 1, 0, 2, 0});
    model_.AddFault({DeviceFault::EchoesWrongBlockNumber, 1, 9011, 3, 0});
    model_.AddFault({DeviceFault::AnswersUndefined, 1, 9012, 0, 0});
    StartDevice();
    const auto image = Pattern(4096);
    EXPECT_EQ(RunWriteSequence(*link_, KIND_PHRASE_WRITE, 0x80000, image, AdditiveChecksum(image),
                               nullptr),
              TRANSFER_NO_RESPONSE);
    EXPECT_EQ(RunWriteSequence(*link_, KIND_PHRASE_WRITE, 0x80000, image, AdditiveChecksum(image),
                               nullptr),
              TRANSFER_BAD_RESPONSE);
    std::vector<std::uint8_t> back(4096);
    EXPECT_EQ(RunReadSequence(*link_, KIND_DATA_READ, 0x80000, back, nullptr),
              TRANSFER_BAD_RESPONSE);
    EXPECT_EQ(RunReadSequence(*link_, KIND_DATA_READ, 0x80000, back, nullptr),
              TRANSFER_NO_RESPONSE);
    EXPECT_EQ(Log(), (Texts{"要求拒否 通信エラー", "不定フレーズ書込開始 通信エラー",
                            "不定フレーズ書込 応答結果エラー",
                            "データ読込 シーケンス不一致エラー シーケンス№ 003",
                            "要求拒否 無効コマンド", "データ読込終了 通信エラー"}));
    // No end request follows a failed block.
    const auto& commands = model_.commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), kCmdWriteEnd), 0);
}

TEST_F(PtyLinkTest, DeviceVanishingMidWrite_FailsAtOnceWithTheReasonLogged) {
    model_.AddFault({DeviceFault::Vanishes, 1, kCmdWriteBlock, 3, 0});
    StartDevice();
    const auto image = Pattern(8 * 1024);
    int blocks = 0;
    EXPECT_EQ(RunWriteSequence(*link_, KIND_PHRASE_WRITE, 0x80000, image, AdditiveChecksum(image),
                               [&] { ++blocks; }),
              TRANSFER_NO_RESPONSE);
    EXPECT_EQ(blocks, 2);
    EXPECT_EQ(link_->attempts(), 1);
    EXPECT_EQ(model_.commands(),
              (std::vector<int>{kCmdWriteStart, kCmdWriteBlock, kCmdWriteBlock, kCmdWriteBlock}));
    EXPECT_EQ(Log(), Texts{"不定フレーズ書込 通信エラー 回線切断"});
    // The pulled device's port is gone.
    link_->ClosePort();
    EXPECT_FALSE(link_->OpenPort(12));
}

TEST_F(PtyLinkTest, PortStaysUsableAcrossCloseAndReopen) {
    StartDevice();
    link_->ClosePort();
    ASSERT_TRUE(link_->OpenPort(12));
    link_->PrepareRequest(kCmdReadEnd, {});
    EXPECT_EQ(link_->Transact(), TRANSACT_OK);
    EXPECT_FALSE(link_->OpenPort(13));
    EXPECT_EQ(Log(), Texts{"COMポートオープンエラー /dev/ttyS12"});
}

// Polls until the condition holds or five seconds have passed.
template <typename Condition>
bool Eventually(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

// A pseudo-terminal whose slave the tests open as a port.
struct Pty {
    Pty() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0)
            slave = ::ptsname(master);
    }
    ~Pty() { HangUp(); }
    void HangUp() {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    int master = -1;
    std::string slave;
};

TEST(SerialPortPosix, WaitReadable_EndsOnNewBytesOnlyAndReportsTheHangUp) {
    Pty pty;
    ASSERT_FALSE(pty.slave.empty());
    auto port = CreateSerialPort();
    EXPECT_EQ(port->WaitReadable(0), SerialPort::WaitResult::Gone);  // not open
    ASSERT_TRUE(port->Open(pty.slave));
    EXPECT_EQ(port->WaitReadable(0), SerialPort::WaitResult::Timeout);

    ASSERT_EQ(::write(pty.master, "abc", 3), 3);
    ASSERT_EQ(port->WaitReadable(5000), SerialPort::WaitResult::Readable);
    // What the wait saw is counted at once, not when the terminal gets round to it.
    EXPECT_EQ(port->QueuedCount(), 3);
    EXPECT_EQ(port->WaitReadable(0), SerialPort::WaitResult::Timeout);
    std::uint8_t byte = 0;
    EXPECT_EQ(port->Read({&byte, 1}), 1u);
    EXPECT_EQ(byte, 'a');

    pty.HangUp();
    EXPECT_EQ(port->WaitReadable(5000), SerialPort::WaitResult::Gone);
    EXPECT_FALSE(port->Write(std::vector<std::uint8_t>{0x02}));
    EXPECT_EQ(port->WaitReadable(0), SerialPort::WaitResult::Gone);
    port->Close();
}

// (A holder that dies frees the port too: the system tests show it with two programs.)
TEST(SerialPortPosix, SecondOpenOfAnOpenPort_IsRefusedUntilTheHolderCloses) {
    Pty pty;
    ASSERT_FALSE(pty.slave.empty());
    auto first = CreateSerialPort();
    auto second = CreateSerialPort();
    ASSERT_TRUE(first->Open(pty.slave));
    EXPECT_FALSE(second->Open(pty.slave));
    EXPECT_FALSE(second->IsOpen());
    first->Close();
    ASSERT_TRUE(second->Open(pty.slave));
    second->Close();
}

TEST(SerialPortPosix, OnAPseudoTerminal_QueuesReadsWritesPurgesAndReopens) {
    Pty pty;
    ASSERT_FALSE(pty.slave.empty());
    const int master = pty.master;
    const std::string& slave = pty.slave;
    auto port = CreateSerialPort();
    EXPECT_EQ(port->QueuedCount(), 0);  // not open
    ASSERT_TRUE(port->Open(slave));

    ASSERT_EQ(::write(master, "abc", 3), 3);
    ASSERT_TRUE(Eventually([&] { return port->QueuedCount() == 3; }));
    std::uint8_t buffer[8] = {};
    EXPECT_EQ(port->Read({buffer, 2}), 2u);
    EXPECT_EQ(std::string(buffer, buffer + 2), "ab");
    EXPECT_EQ(port->QueuedCount(), 1);

    const std::uint8_t out[] = {0x02, 0xFF, 0x00, 0x03};
    ASSERT_TRUE(port->Write(out));
    std::uint8_t got[4] = {};
    std::size_t have = 0;
    ASSERT_TRUE(Eventually([&] {
        const ssize_t n = ::read(master, got + have, sizeof got - have);
        if (n > 0)
            have += static_cast<std::size_t>(n);
        return have == sizeof got;
    }));
    EXPECT_EQ(std::vector<std::uint8_t>(got, got + 4), std::vector<std::uint8_t>(out, out + 4));

    ASSERT_TRUE(port->Purge());
    EXPECT_EQ(port->QueuedCount(), 0);
    EXPECT_EQ(port->Read({buffer, 8}), 0u);

    // A second open of a port already at the link's settings succeeds too.
    port->Close();
    EXPECT_FALSE(port->IsOpen());
    ASSERT_TRUE(port->Open(slave));
    port->Close();
    EXPECT_FALSE(port->Open("/dev/kotar-no-such-port"));
    EXPECT_FALSE(port->OpenWasDenied());
}

// A read-only kernel setting refuses a read-write open with EACCES, even to root: the refusal a
// user outside the serial ports' group meets.
TEST(SerialPortPosix, OpenRefusedByPermission_IsToldApartFromAMissingDevice) {
    auto port = CreateSerialPort();
    EXPECT_FALSE(port->Open("/proc/sys/kernel/osrelease"));
    EXPECT_TRUE(port->OpenWasDenied());
    EXPECT_FALSE(port->Open("/dev/kotar-no-such-port"));
    EXPECT_FALSE(port->OpenWasDenied());
}

}  // namespace
}  // namespace kotar
