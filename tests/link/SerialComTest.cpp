// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/SerialCom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "CommLogLines.h"
#include "FakeSerialPort.h"
#include "TempDir.h"
#include "link/LinkTimer.h"
#include "link/PortList.h"

namespace kotar {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<std::string>;

Bytes Text(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

// A response frame with the given command field (any four characters) and data.
Bytes Response(std::string_view command, const Bytes& data) {
    Bytes frame = EncodeFrame(kResponseMark, 0, data);
    std::copy(command.begin(), command.end(), frame.begin() + 2);
    frame.back() = ComputeBcc({frame.data() + 1, frame.size() - 2});
    return frame;
}

class SerialComTest : public ::testing::Test {
protected:
    void SetUp() override {
        LinkTimer::Instance().SetTickMs(2);
        environment_.log_folder = dir_.path();
        environment_.make_port = [line = line_] {
            return std::make_unique<test::FakeSerialPort>(line);
        };
        environment_.event_pump = [this] { ++pump_calls_; };
        link_ = std::make_unique<SerialCom>(environment_);
        ASSERT_TRUE(link_->OpenPort(1));
    }

    Texts Log() const { return test::CommLogTexts(dir_.path()); }
    // Runs one exchange for a read-end request (command 9012).
    int TransactReadEnd() {
        link_->PrepareRequest(kCmdReadEnd, {});
        return link_->Transact();
    }

    test::TempDir dir_;
    std::shared_ptr<test::FakeLine> line_ = std::make_shared<test::FakeLine>();
    LinkEnvironment environment_;
    std::unique_ptr<SerialCom> link_;
    int pump_calls_ = 0;
};

TEST_F(SerialComTest, Transact_WellFormedReply_SucceedsOnFirstAttemptWithoutLog) {
    line_->script.push_back(Response("9012", {}));
    EXPECT_EQ(TransactReadEnd(), TRANSACT_OK);
    EXPECT_EQ(link_->attempts(), 1);
    ASSERT_EQ(line_->writes.size(), 1u);
    EXPECT_EQ(line_->writes[0], EncodeFrame(kRequestMark, kCmdReadEnd, {}));
    EXPECT_EQ(Bytes(link_->response().begin(), link_->response().end()), Response("9012", {}));
    EXPECT_TRUE(Log().empty());
    // The pump runs before each of the eleven steps of a complete exchange.
    EXPECT_GE(pump_calls_, 11);
}

TEST_F(SerialComTest, Transact_CommandFieldXXXX_FailsAtOnceAndLogs) {
    line_->script.push_back(Response("XXXX", {}));
    line_->respond = [](std::span<const std::uint8_t>) { return Response("9012", {}); };
    EXPECT_EQ(TransactReadEnd(), TRANSACT_FAILED);
    EXPECT_EQ(line_->writes.size(), 1u);
    EXPECT_EQ(Log(), Texts{"要求拒否 通信エラー"});
}

TEST_F(SerialComTest, Transact_ReplyToAnotherCommand_IsDroppedAndRequestSentAgain) {
    line_->script.push_back(Response("9011", {}));
    line_->script.push_back(Response("9012", {}));
    EXPECT_EQ(TransactReadEnd(), TRANSACT_OK);
    EXPECT_EQ(line_->writes.size(), 2u);
    EXPECT_EQ(line_->writes[0], line_->writes[1]);
    EXPECT_TRUE(Log().empty());
}

TEST_F(SerialComTest, Transact_BytesBeforeStx_AreSkipped) {
    Bytes noisy{0x00, 0x41, 0xFF, 0x03};
    const Bytes reply = Response("9012", Text("ok"));
    noisy.insert(noisy.end(), reply.begin(), reply.end());
    line_->script.push_back(noisy);
    EXPECT_EQ(TransactReadEnd(), TRANSACT_OK);
    EXPECT_EQ(link_->attempts(), 1);
    EXPECT_EQ(Bytes(link_->response().begin(), link_->response().end()), reply);
}

TEST_F(SerialComTest, Transact_OtherByteAfterStx_StartsNewAttemptWithoutLog) {
    Bytes wrong = Response("9012", {});
    wrong[1] = 'T';
    line_->script.push_back(wrong);
    line_->script.push_back(Response("9012", {}));
    EXPECT_EQ(TransactReadEnd(), TRANSACT_OK);
    EXPECT_EQ(link_->attempts(), 2);
    EXPECT_TRUE(Log().empty());
}

TEST_F(SerialComTest, Transact_MissingEtx_StartsNewAttemptWithoutLog) {
    Bytes wrong = Response("9012", Text("a"));
    wrong[13] = 0x04;
    line_->script.push_back(wrong);
    line_->script.push_back(Response("9012", Text("a")));
    EXPECT_EQ(TransactReadEnd(), TRANSACT_OK);
    EXPECT_EQ(link_->attempts(), 2);
    EXPECT_TRUE(Log().empty());
}

TEST_F(SerialComTest, Transact_UndefinedAtDataStart_FailsAsInvalidCommand) {
    line_->script.push_back(Response("9012", Text("UNDEFINED")));
    EXPECT_EQ(TransactReadEnd(), TRANSACT_FAILED);
    EXPECT_EQ(line_->writes.size(), 1u);
    EXPECT_EQ(Log(), Texts{"要求拒否 無効コマンド"});
}

TEST_F(SerialComTest, Transact_UndefinedLaterInData_Succeeds) {
    line_->script.push_back(Response("9012", Text("xUNDEFINED")));
    EXPECT_EQ(TransactReadEnd(), TRANSACT_OK);
    EXPECT_TRUE(Log().empty());
}

TEST_F(SerialComTest, Transact_WrongBcc_LogsAndRepeatsRequest) {
    Bytes bad = Response("9012", {});
    bad.back() ^= 0x01;
    line_->script.push_back(bad);
    line_->script.push_back(Response("9012", {}));
    EXPECT_EQ(TransactReadEnd(), TRANSACT_OK);
    EXPECT_EQ(line_->writes.size(), 2u);
    EXPECT_EQ(Log(), Texts{"BCCエラー"});
}

TEST_F(SerialComTest, Transact_SixWrongBccs_EndWithNoResponse) {
    Bytes bad = Response("9012", {});
    bad.back() ^= 0x01;
    line_->respond = [bad](std::span<const std::uint8_t>) { return bad; };
    EXPECT_EQ(TransactReadEnd(), TRANSACT_FAILED);
    EXPECT_EQ(line_->writes.size(), 6u);
    Texts expected(6, "BCCエラー");
    expected.push_back("タイムアウト 無応答");
    EXPECT_EQ(Log(), expected);
}

TEST_F(SerialComTest, Transact_SilentDeviceWithoutTicker_EndsOnWallClockDeadlines) {
    LinkTimer::Instance().ForceWallClock(true);
    const int result = TransactReadEnd();
    LinkTimer::Instance().ForceWallClock(false);
    EXPECT_EQ(result, TRANSACT_FAILED);
    EXPECT_EQ(line_->writes.size(), 6u);
    EXPECT_EQ(Log(), Texts{"タイムアウト 無応答"});
}

TEST_F(SerialComTest, Transact_SilentDevice_SixAttemptsAndOneLogLine) {
    EXPECT_EQ(TransactReadEnd(), TRANSACT_FAILED);
    EXPECT_EQ(line_->writes.size(), 6u);
    EXPECT_EQ(line_->purges, 1 + 6);  // open, then before every attempt
    EXPECT_EQ(Log(), Texts{"タイムアウト 無応答"});
}

TEST_F(SerialComTest, Transact_QuietLine_IsWaitedForInSlicesWithThePumpBetween) {
    // A tick longer than the pump interval, so that the interval bounds the waits.
    LinkTimer::Instance().SetTickMs(kPumpIntervalMs + 5);
    line_->script.push_back({});  // the first request goes unanswered
    line_->script.push_back(Response("9012", {}));
    EXPECT_EQ(TransactReadEnd(), TRANSACT_OK);
    EXPECT_EQ(link_->attempts(), 2);
    ASSERT_FALSE(line_->waits.empty());
    EXPECT_GE(*std::min_element(line_->waits.begin(), line_->waits.end()), 1);
    EXPECT_LE(*std::max_element(line_->waits.begin(), line_->waits.end()), kPumpIntervalMs);
    EXPECT_GE(pump_calls_, static_cast<int>(line_->waits.size()));
    EXPECT_TRUE(Log().empty());
}

TEST_F(SerialComTest, Transact_AnswerAlreadyQueued_IsTakenWithoutWaiting) {
    line_->script.push_back(Response("9012", Text("at once")));
    EXPECT_EQ(TransactReadEnd(), TRANSACT_OK);
    EXPECT_TRUE(line_->waits.empty());
}

TEST_F(SerialComTest, Transact_DeviceGoneMidAnswer_FailsAtOnceWithoutFurtherAttempts) {
    const Bytes reply = Response("9012", Text("abcdef"));
    line_->respond = [this, reply](std::span<const std::uint8_t>) {
        line_->gone = true;
        return Bytes(reply.begin(), reply.begin() + 9);
    };
    EXPECT_EQ(TransactReadEnd(), TRANSACT_FAILED);
    EXPECT_TRUE(link_->line_gone());
    EXPECT_EQ(link_->attempts(), 1);
    EXPECT_EQ(line_->writes.size(), 1u);
    // No timeout passed: the block operation's line carries the reason.
    EXPECT_TRUE(Log().empty());
}

TEST_F(SerialComTest, EveryOperation_OnAVanishedDevice_LogsItsFailureWithTheReason) {
    line_->gone = true;
    std::array<std::uint8_t, kBlockBytes> block{};
    EXPECT_EQ(link_->WriteStart(KIND_PHRASE_WRITE, 0x80000, 0x20000, 0), TRANSFER_NO_RESPONSE);
    EXPECT_EQ(link_->WriteBlock(KIND_PHRASE_WRITE, 5, 1024, block.data()), TRANSFER_NO_RESPONSE);
    EXPECT_EQ(link_->WriteEnd(KIND_PROGRAM_WRITE), TRANSFER_NO_RESPONSE);
    EXPECT_EQ(link_->ReadStart(KIND_DATA_READ, 0x60000, 0x10000), TRANSFER_NO_RESPONSE);
    EXPECT_EQ(link_->ReadBlock(KIND_PHRASE_READ, 1, block), TRANSFER_NO_RESPONSE);
    EXPECT_EQ(link_->ReadEnd(KIND_DATA_READ), TRANSFER_NO_RESPONSE);
    EXPECT_TRUE(line_->writes.empty());
    EXPECT_EQ(
        Log(),
        (Texts{"不定フレーズ書込開始 通信エラー 回線切断", "不定フレーズ書込 通信エラー 回線切断",
               "プログラム書込終了 通信エラー 回線切断", "データ読込開始 通信エラー 回線切断",
               "不定フレーズ読込 通信エラー 回線切断", "データ読込終了 通信エラー 回線切断"}));
}

// A device that stops inside a field: the field's inter-character timeout, then a new attempt.
struct StopCase {
    const char* field;
    std::size_t bytes_sent;
    const char* log_text;
};

void PrintTo(const StopCase& c, std::ostream* os) {
    *os << c.field;
}

class SerialComStopTest : public SerialComTest, public ::testing::WithParamInterface<StopCase> {};

TEST_P(SerialComStopTest, Transact_DeviceStopsInField_LogsFieldTimeoutAndRetries) {
    const Bytes full = Response("9012", Text("abcdef"));  // 20 bytes
    line_->script.push_back(Bytes(full.begin(), full.begin() + GetParam().bytes_sent));
    line_->script.push_back(full);
    EXPECT_EQ(TransactReadEnd(), TRANSACT_OK);
    EXPECT_EQ(link_->attempts(), 2);
    EXPECT_EQ(Log(), Texts{GetParam().log_text});
}

INSTANTIATE_TEST_SUITE_P(
    EveryField, SerialComStopTest,
    ::testing::Values(StopCase{"Header", 1, "タイムアウト キャラ間監視 ヘッダ"},
                      StopCase{"Command", 4, "タイムアウト キャラ間監視 コマンド"},
                      StopCase{"Length", 9, "タイムアウト キャラ間監視 データ長"},
                      StopCase{"Data", 15, "タイムアウト キャラ間監視 データ"},
                      StopCase{"Etx", 18, "タイムアウト キャラ間監視 ETX"},
                      StopCase{"Bcc", 19, "タイムアウト キャラ間監視 BCC"}),
    [](const ::testing::TestParamInfo<StopCase>& param_info) {
        return std::string(param_info.param.field);
    });

TEST_F(SerialComTest, Transact_LengthBeyondBuffer_IsAFailedAttemptNeverStored) {
    Bytes huge = Response("9012", Bytes(2035, 0x41));
    line_->script.push_back(huge);
    line_->script.push_back(Response("9012", {}));
    EXPECT_EQ(TransactReadEnd(), TRANSACT_OK);
    EXPECT_EQ(link_->attempts(), 2);
    EXPECT_EQ(link_->response().size(), 14u);
}

TEST_F(SerialComTest, Transact_LargestFittingResponse_IsAccepted) {
    line_->script.push_back(Response("9012", Bytes(kMaxFrameDataBytes, 0x42)));
    EXPECT_EQ(TransactReadEnd(), TRANSACT_OK);
    EXPECT_EQ(link_->response().size(), kFrameBufferBytes);
}

TEST_F(SerialComTest, Transact_LineErrorsInsideFields_AreNeitherDataNorFailure) {
    line_->line_error_at_consumed = {2, 12};  // while waiting for the command and the data
    line_->script.push_back(Response("9012", Text("xyz")));
    EXPECT_EQ(TransactReadEnd(), TRANSACT_OK);
    EXPECT_EQ(link_->attempts(), 1);
    EXPECT_TRUE(line_->line_error_at_consumed.empty());
    EXPECT_EQ(Bytes(link_->response().begin() + 12, link_->response().begin() + 15), Text("xyz"));
    EXPECT_TRUE(Log().empty());
}

TEST_F(SerialComTest, Transact_TricklingResponse_IsAssembled) {
    // Every byte is there at the next poll; a long tick keeps a starved test thread from
    // meeting the character timeout of the short test tick.
    LinkTimer::Instance().SetTickMs(200);
    line_->bytes_per_poll = 1;
    line_->script.push_back(Response("9012", Text("slow reply")));
    EXPECT_EQ(TransactReadEnd(), TRANSACT_OK);
    EXPECT_EQ(link_->attempts(), 1);
    EXPECT_TRUE(Log().empty());
}

// A device that sends its answer in pieces, paced by the link's own ticks: the first piece at
// once, each further one two ticks after the one before (counted on the response countdown,
// which runs on through the whole answer). Every gap is then shorter than the character timeout
// of four ticks, however late the link polls, while the answer as a whole takes far longer.
class PiecewisePort : public test::FakeSerialPort {
public:
    PiecewisePort(std::shared_ptr<test::FakeLine> line, std::vector<Bytes> pieces)
        : FakeSerialPort(line), line_(std::move(line)), pieces_(std::move(pieces)) {}

    bool Write(std::span<const std::uint8_t> bytes) override {
        next_ = 0;
        return FakeSerialPort::Write(bytes);
    }
    int QueuedCount() override {
        const int now = LinkTimer::Instance().Remaining(LinkTimer::kResponse);
        if (next_ < pieces_.size() && (next_ == 0 || now <= sent_at_.back() - 2 || now == 0)) {
            line_->Feed(pieces_[next_++]);
            sent_at_.push_back(now);
        }
        return FakeSerialPort::QueuedCount();
    }
    // The response countdown at each piece.
    const std::vector<int>& sent_at() const { return sent_at_; }

private:
    std::shared_ptr<test::FakeLine> line_;
    std::vector<Bytes> pieces_;
    std::size_t next_ = 0;
    std::vector<int> sent_at_;
};

TEST_F(SerialComTest, Transact_ReplyInPiecesLongerThanTheCharTimeout_IsAcceptedWhenNoGapIs) {
    const Bytes reply = Response("9012", Text("an answer that comes in pieces"));  // 44 bytes
    // The header, the data field in five pieces of six bytes, then ETX and BCC.
    std::vector<Bytes> pieces{Bytes(reply.begin(), reply.begin() + 12)};
    for (int at = 12; at < 42; at += 6)
        pieces.emplace_back(reply.begin() + at, reply.begin() + at + 6);
    pieces.emplace_back(reply.begin() + 42, reply.end());
    PiecewisePort* port = nullptr;
    environment_.make_port = [&] {
        auto made = std::make_unique<PiecewisePort>(line_, pieces);
        port = made.get();
        return made;
    };
    link_ = std::make_unique<SerialCom>(environment_);
    ASSERT_TRUE(link_->OpenPort(1));

    EXPECT_EQ(TransactReadEnd(), TRANSACT_OK);
    EXPECT_EQ(link_->attempts(), 1);
    EXPECT_EQ(Bytes(link_->response().begin(), link_->response().end()), reply);
    EXPECT_TRUE(Log().empty());
    // The data field alone came over more ticks than the character timeout.
    ASSERT_EQ(port->sent_at().size(), pieces.size());
    EXPECT_GT(port->sent_at()[1] - port->sent_at()[5], kCharTimeoutTicks);
}

// --- block operations --------------------------------------------------------------------

TEST_F(SerialComTest, WriteStart_SendsAreaCountAndChecksumLittleEndian) {
    line_->script.push_back(Response("9000", {0}));
    EXPECT_EQ(link_->WriteStart(KIND_PHRASE_WRITE, 0x80000, 0x20000, 0x12345678), TRANSFER_OK);
    const Bytes expected_data{0x00, 0x00, 0x08, 0x00, 0x00, 0x00,
                              0x02, 0x00, 0x78, 0x56, 0x34, 0x12};
    ASSERT_EQ(line_->writes.size(), 1u);
    EXPECT_EQ(line_->writes[0], EncodeFrame(kRequestMark, kCmdWriteStart, expected_data));
    EXPECT_EQ(line_->writes[0].size(), 26u);
    EXPECT_TRUE(Log().empty());
}

TEST_F(SerialComTest, WriteStart_RefusedOrUnanswered_ReportsWithLabel) {
    line_->script.push_back(Response("9000", {1}));
    EXPECT_EQ(link_->WriteStart(KIND_PROGRAM_WRITE, 0x70000, 4096, 0), TRANSFER_BAD_RESPONSE);
    EXPECT_EQ(link_->WriteStart(KIND_PHRASE_WRITE, 0x80000, 0x20000, 0), TRANSFER_NO_RESPONSE);
    EXPECT_EQ(Log(), (Texts{"プログラム書込開始 応答結果エラー", "タイムアウト 無応答",
                            "不定フレーズ書込開始 通信エラー"}));
}

TEST_F(SerialComTest, WriteBlock_FrameCarriesNumberAndBytes_ShortBlockLengthIsTwoPlusCount) {
    line_->respond = [](std::span<const std::uint8_t> request) {
        return Response("9001", {request[12], request[13], 0});
    };
    const Bytes block(512, 0xA5);
    EXPECT_EQ(link_->WriteBlock(KIND_PHRASE_WRITE, 3, 512, block.data()), TRANSFER_OK);
    Bytes expected_data{0x03, 0x00};
    expected_data.insert(expected_data.end(), block.begin(), block.end());
    ASSERT_EQ(line_->writes.size(), 1u);
    EXPECT_EQ(std::string(line_->writes[0].begin() + 2, line_->writes[0].begin() + 12),
              "9001000514");
    EXPECT_EQ(line_->writes[0], EncodeFrame(kRequestMark, kCmdWriteBlock, expected_data));
}

TEST_F(SerialComTest, WriteBlock_WrongNumber_LogsRequestedNumberInThreeDigits) {
    const Bytes block(1024, 0);
    // Block 7 answered as 8, and with an error result too: the number is checked first.
    line_->script.push_back(Response("9001", {8, 0, 1}));
    EXPECT_EQ(link_->WriteBlock(KIND_PHRASE_WRITE, 7, 1024, block.data()), TRANSFER_BAD_RESPONSE);
    line_->script.push_back(Response("9001", {9, 0, 1}));
    EXPECT_EQ(link_->WriteBlock(KIND_PHRASE_WRITE, 9, 1024, block.data()), TRANSFER_BAD_RESPONSE);
    line_->script.push_back(Response("9001", {10, 0, 0}));
    EXPECT_EQ(link_->WriteBlock(KIND_PROGRAM_WRITE, 10, 1024, block.data()), TRANSFER_OK);
    EXPECT_EQ(Log(), (Texts{"不定フレーズ書込 シーケンス不一致エラー シーケンス№ 007",
                            "不定フレーズ書込 応答結果エラー"}));
}

TEST_F(SerialComTest, WriteEnd_ResultNotZero_IsChecksumError) {
    line_->script.push_back(Response("9002", {1}));
    EXPECT_EQ(link_->WriteEnd(KIND_PHRASE_WRITE), TRANSFER_BAD_RESPONSE);
    line_->script.push_back(Response("9002", {0}));
    EXPECT_EQ(link_->WriteEnd(KIND_PROGRAM_WRITE), TRANSFER_OK);
    EXPECT_EQ(Log(), Texts{"不定フレーズ書込終了 チェックサムエラー"});
    EXPECT_EQ(line_->writes[0], EncodeFrame(kRequestMark, kCmdWriteEnd, {}));
}

TEST_F(SerialComTest, Rejections_SurfaceAsNoResponseWithEachOperationsText) {
    line_->respond = [](std::span<const std::uint8_t>) { return Response("XXXX", {}); };
    std::array<std::uint8_t, kBlockBytes> block{};
    EXPECT_EQ(link_->WriteBlock(KIND_PROGRAM_WRITE, 1, 1024, block.data()), TRANSFER_NO_RESPONSE);
    EXPECT_EQ(link_->WriteEnd(KIND_PROGRAM_WRITE), TRANSFER_NO_RESPONSE);
    EXPECT_EQ(link_->ReadStart(KIND_DATA_READ, 0x60000, 0x10000), TRANSFER_NO_RESPONSE);
    EXPECT_EQ(link_->ReadBlock(KIND_DATA_READ, 1, block), TRANSFER_NO_RESPONSE);
    EXPECT_EQ(link_->ReadEnd(KIND_PHRASE_READ), TRANSFER_NO_RESPONSE);
    EXPECT_EQ(Log(),
              (Texts{"要求拒否 通信エラー", "プログラム書込 通信エラー", "要求拒否 通信エラー",
                     "プログラム書込終了 通信エラー", "要求拒否 通信エラー",
                     "データ読込開始 通信エラー", "要求拒否 通信エラー", "データ読込 通信エラー",
                     "要求拒否 通信エラー", "不定フレーズ読込終了 通信エラー"}));
}

TEST_F(SerialComTest, ReadStart_SendsAreaAndCount_ChecksResult) {
    line_->script.push_back(Response("9010", {0}));
    EXPECT_EQ(link_->ReadStart(KIND_PHRASE_READ, 0x80000, 0x20000), TRANSFER_OK);
    EXPECT_EQ(line_->writes[0],
              EncodeFrame(kRequestMark, kCmdReadStart, Bytes{0, 0, 8, 0, 0, 0, 2, 0}));
    EXPECT_EQ(line_->writes[0].size(), 22u);
    line_->script.push_back(Response("9010", {2}));
    EXPECT_EQ(link_->ReadStart(KIND_DATA_READ, 0x60000, 0x10000), TRANSFER_BAD_RESPONSE);
    EXPECT_EQ(Log(), Texts{"データ読込開始 応答結果エラー"});
}

TEST_F(SerialComTest, ReadBlock_CopiesTheBlock_RefusesWrongNumberAndShortReply) {
    Bytes data{5, 0};
    for (int i = 0; i < 1024; ++i)
        data.push_back(static_cast<std::uint8_t>(i * 3));
    line_->script.push_back(Response("9011", data));
    std::array<std::uint8_t, kBlockBytes> block{};
    block.fill(0xFF);
    EXPECT_EQ(link_->ReadBlock(KIND_PHRASE_READ, 5, block), TRANSFER_OK);
    EXPECT_EQ(Bytes(block.begin(), block.end()), Bytes(data.begin() + 2, data.end()));
    EXPECT_EQ(line_->writes[0], EncodeFrame(kRequestMark, kCmdReadBlock, Bytes{5, 0}));

    data[0] = 6;
    line_->script.push_back(Response("9011", data));
    EXPECT_EQ(link_->ReadBlock(KIND_PHRASE_READ, 5, block), TRANSFER_BAD_RESPONSE);
    Bytes short_reply(data.begin(), data.end() - 1);
    short_reply[0] = 5;
    line_->script.push_back(Response("9011", short_reply));
    block.fill(0xEE);
    EXPECT_EQ(link_->ReadBlock(KIND_DATA_READ, 5, block), TRANSFER_BAD_RESPONSE);
    EXPECT_EQ(block[0], 0xEE);  // nothing copied from a short reply
    EXPECT_EQ(Log(), (Texts{"不定フレーズ読込 シーケンス不一致エラー シーケンス№ 005",
                            "データ読込 応答結果エラー"}));
}

TEST_F(SerialComTest, ReadEnd_AcceptsWhateverTheReplyHolds) {
    line_->script.push_back(Response("9012", {0xFF, 0x01}));
    EXPECT_EQ(link_->ReadEnd(KIND_PHRASE_READ), TRANSFER_OK);
    line_->script.push_back(Response("9012", {}));
    EXPECT_EQ(link_->ReadEnd(KIND_DATA_READ), TRANSFER_OK);
    EXPECT_TRUE(Log().empty());
}

TEST_F(SerialComTest, OpenPort_Failure_LogsErrorWithDeviceName) {
    link_->ClosePort();
    line_->open_fails = true;
    EXPECT_FALSE(link_->OpenPort(12));
    // The system's own device for port 12 ("/dev/ttyS11", "\\.\COM12").
    EXPECT_EQ(line_->opened_path, NativeDevicePath(12));
    EXPECT_EQ(Log(), Texts{"COMポートオープンエラー " + NativeDevicePath(12)});
    EXPECT_FALSE(link_->open_denied());
}

TEST_F(SerialComTest, OpenPort_RefusedByPermission_IsNotedAndLogsTheSameLine) {
    link_->ClosePort();
    line_->open_fails = true;
    line_->open_denied = true;
    EXPECT_FALSE(link_->OpenPort(12));
    EXPECT_TRUE(link_->open_denied());
    EXPECT_EQ(Log(), Texts{"COMポートオープンエラー " + NativeDevicePath(12)});
    line_->open_fails = false;
    EXPECT_TRUE(link_->OpenPort(12));
    EXPECT_FALSE(link_->open_denied());
}

TEST_F(SerialComTest, OpenPort_PortsSectionNamesTheDevice) {
    link_->ClosePort();
    test::WriteText(dir_ / "MEVAN.INI", "[PORTS]\r\nCOM12=/tmp/devsim-port\r\n");
    ProfileFile ini(dir_ / "MEVAN.INI");
    environment_.ini = &ini;
    SerialCom link(environment_);
    EXPECT_TRUE(link.OpenPort(12));
    EXPECT_EQ(line_->opened_path, "/tmp/devsim-port");
    EXPECT_TRUE(link.ClosePort());
    EXPECT_FALSE(line_->is_open);
    EXPECT_TRUE(link.ClosePort());  // closing twice is harmless
}

}  // namespace
}  // namespace kotar
