// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/SerialCom.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "link/CommLog.h"
#include "link/LinkTimer.h"
#include "link/PortList.h"

namespace kotar {
namespace {

constexpr const char* kUndefined = "UNDEFINED";
constexpr std::size_t kUndefinedBytes = 9;
constexpr const char* kRejectCode = "XXXX";

using Clock = std::chrono::steady_clock;
constexpr auto kPumpInterval = std::chrono::milliseconds(kPumpIntervalMs);

}  // namespace

std::string WriteLabel(int kind) {
    return kind == KIND_PHRASE_WRITE ? "不定フレーズ" : "プログラム";
}

std::string ReadLabel(int kind) {
    return kind == KIND_PHRASE_READ ? "不定フレーズ" : "データ";
}

SerialCom::SerialCom(LinkEnvironment environment) : environment_(std::move(environment)) {
    std::memcpy(invalid_command_marker_.data(), kUndefined, kUndefinedBytes + 1);
    std::memcpy(reject_code_.data(), kRejectCode, 5);
    log_folder_ =
        environment_.log_folder.empty() ? DefaultCommLogFolder() : environment_.log_folder;
}

SerialCom::~SerialCom() = default;

bool SerialCom::OpenPort(int port_number) {
    const std::string path = DevicePathForPort(port_number, environment_.ini);
    const std::string name = path.empty() ? "COM" + std::to_string(port_number) : path;
    if (!port_)
        port_ = environment_.make_port ? environment_.make_port() : CreateSerialPort();
    bool ok = false;
    open_denied_ = false;
    if (port_ && !path.empty()) {
        ok = port_->Open(name) && port_->Purge();
    }
    if (!ok) {
        if (port_) {
            open_denied_ = port_->OpenWasDenied();
            port_->Close();
        }
        label_ = "COMポートオープンエラー " + name;
        WriteLog(label_);
        return false;
    }
    return true;
}

bool SerialCom::ClosePort() {
    if (port_ && port_->IsOpen())
        port_->Close();
    return true;
}

bool SerialCom::IsPortOpen() const {
    return port_ && port_->IsOpen();
}

void SerialCom::Pump() {
    if (environment_.event_pump)
        environment_.event_pump();
    last_pump_ = Clock::now();
}

// Blocks until the line brings something new, a countdown may have run out or the window is due
// to be painted again; false when the device is gone, which ends the exchange.
bool SerialCom::AwaitLine() {
    auto now = Clock::now();
    if (now - last_pump_ >= kPumpInterval) {
        Pump();
        now = last_pump_;
    }
    const auto until = std::min(LinkTimer::Instance().NextChange(), last_pump_ + kPumpInterval);
    // Whole milliseconds, rounded up so the wait ends after the tick, and at least one so that a
    // late ticker is not met with a busy loop.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - now).count();
    const int wait_ms = static_cast<int>(std::clamp<decltype(left)>(left, 1, kPumpIntervalMs));
    if (port_ && port_->WaitReadable(wait_ms) != SerialPort::WaitResult::Gone)
        return true;
    line_gone_ = true;
    return false;
}

void SerialCom::WriteLog(std::string_view text) {
    AppendLogLine(log_folder_, text);
}

bool SerialCom::StopRequested() const {
    return environment_.stop_requested && environment_.stop_requested();
}

bool SerialCom::StopEndsExchange() const {
    // A request about to be sent (again) is not sent; a wait for an answer that has not begun
    // ends, so a silent device does not hold the user for its six attempts. An answer that is
    // arriving is received whole.
    const bool cuttable =
        state_ == ReceiveState::Send || (state_ == ReceiveState::WaitStx && !stop_awaits_answer_);
    return cuttable && StopRequested();
}

void SerialCom::PrepareRequest(int command, std::span<const std::uint8_t> data) {
    request_.fill(0);
    if (data.size() > kMaxFrameDataBytes)
        data = data.first(kMaxFrameDataBytes);
    request_length_ = EncodeFrame(kRequestMark, command, data, request_);
}

int SerialCom::Transact() {
    LinkTimer& timer = LinkTimer::Instance();
    timer.Start();
    response_.fill(0);
    response_length_ = 0;
    result_ = TRANSACT_OK;
    attempt_ = 0;
    line_gone_ = false;
    state_ = ReceiveState::Send;
    // Steps that wait for the line block on it; the checks and the next request follow at once,
    // so the program adds no delay between a response and the next request.
    while (state_ != ReceiveState::Finish) {
        Pump();
        if (StopEndsExchange()) {
            result_ = TRANSACT_STOPPED;
            state_ = ReceiveState::Finish;
            break;
        }
        Step();
    }
    timer.Stop();
    return result_;
}

void SerialCom::Store(std::uint8_t byte) {
    if (response_length_ < response_.size())
        response_[response_length_++] = byte;
}

// Reads count queued bytes into the response buffer; the caller has made sure they fit.
bool SerialCom::StoreBytes(std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const std::size_t n =
            port_ ? port_->Read({response_.data() + response_length_ + done, count - done}) : 0;
        // The bytes were counted as queued; a read that finds none means the port failed.
        if (n == 0)
            return false;
        done += n;
    }
    response_length_ += count;
    return true;
}

std::optional<std::uint8_t> SerialCom::WaitSingleByte(std::string_view timeout_text) {
    LinkTimer& timer = LinkTimer::Instance();
    timer.Arm(LinkTimer::kChar, kCharTimeoutTicks);
    for (;;) {
        if (port_ && port_->QueuedCount() > 0) {
            std::uint8_t byte = 0;
            if (port_->Read({&byte, 1}) == 1)
                return byte;
        }
        if (timer.Expired(LinkTimer::kChar)) {
            WriteLog(timeout_text);
            return std::nullopt;
        }
        if (!AwaitLine())
            return std::nullopt;
    }
}

bool SerialCom::WaitForBytes(int count, std::string_view timeout_text) {
    LinkTimer& timer = LinkTimer::Instance();
    timer.Arm(LinkTimer::kChar, kCharTimeoutTicks);
    int last_queued = 0;
    for (;;) {
        const int queued = port_ ? port_->QueuedCount() : 0;
        if (queued >= count)
            return true;
        // Every change, a line error included, re-arms the watch: it measures silence.
        if (queued != last_queued) {
            last_queued = queued;
            timer.Arm(LinkTimer::kChar, kCharTimeoutTicks);
        }
        if (timer.Expired(LinkTimer::kChar)) {
            WriteLog(timeout_text);
            return false;
        }
        if (!AwaitLine())
            return false;
    }
}

std::span<const std::uint8_t> SerialCom::ResponseData() const {
    return {response_.data() + kFrameHeaderBytes, static_cast<std::size_t>(response_data_length_)};
}

void SerialCom::Step() {
    LinkTimer& timer = LinkTimer::Instance();
    switch (state_) {
        case ReceiveState::Send: {
            // A vanished device answers no further attempt; the caller's log line says why.
            if (line_gone_) {
                result_ = TRANSACT_FAILED;
                state_ = ReceiveState::Finish;
                return;
            }
            if (++attempt_ > kMaxAttempts) {
                WriteLog("タイムアウト 無応答");
                result_ = TRANSACT_FAILED;
                state_ = ReceiveState::Finish;
                return;
            }
            response_.fill(0);
            response_length_ = 0;
            if (port_) {
                port_->Purge();
                // A lost request runs into the no-response timeout.
                port_->Write({request_.data(), request_length_});
            }
            timer.Arm(LinkTimer::kResponse, kResponseTimeoutTicks);
            state_ = ReceiveState::WaitStx;
            return;
        }
        case ReceiveState::WaitStx: {
            if (timer.Expired(LinkTimer::kResponse)) {
                state_ = ReceiveState::Send;
                return;
            }
            if (port_ && port_->QueuedCount() > 0) {
                std::uint8_t byte = 0;
                if (port_->Read({&byte, 1}) == 1 && byte == kStx) {
                    Store(byte);
                    state_ = ReceiveState::WaitHeader;
                }
                return;
            }
            if (!AwaitLine())
                state_ = ReceiveState::Send;
            return;
        }
        case ReceiveState::WaitHeader: {
            const auto byte = WaitSingleByte("タイムアウト キャラ間監視 ヘッダ");
            if (byte && *byte == kResponseMark) {
                Store(*byte);
                state_ = ReceiveState::Command;
            } else {
                state_ = ReceiveState::Send;
            }
            return;
        }
        case ReceiveState::Command:
            state_ = WaitForBytes(4, "タイムアウト キャラ間監視 コマンド") && StoreBytes(4)
                         ? ReceiveState::CheckCommand
                         : ReceiveState::Send;
            return;
        case ReceiveState::CheckCommand: {
            const std::uint8_t* received = response_.data() + 2;
            if (std::memcmp(received, request_.data() + 2, 4) == 0) {
                state_ = ReceiveState::Length;
            } else if (std::memcmp(received, reject_code_.data(), 4) == 0) {
                WriteLog("要求拒否 通信エラー");
                result_ = TRANSACT_FAILED;
                state_ = ReceiveState::Finish;
            } else {
                state_ = ReceiveState::Send;
            }
            return;
        }
        case ReceiveState::Length: {
            if (!WaitForBytes(6, "タイムアウト キャラ間監視 データ長") || !StoreBytes(6)) {
                state_ = ReceiveState::Send;
                return;
            }
            response_data_length_ = ParseLengthField({response_.data() + 6, 6});
            // A response that cannot fit the buffer is a failed attempt, never stored.
            state_ = static_cast<std::size_t>(response_data_length_) > kMaxFrameDataBytes
                         ? ReceiveState::Send
                         : ReceiveState::Data;
            return;
        }
        case ReceiveState::Data:
            if (response_data_length_ == 0) {
                state_ = ReceiveState::Etx;
                return;
            }
            state_ = WaitForBytes(response_data_length_, "タイムアウト キャラ間監視 データ") &&
                             StoreBytes(static_cast<std::size_t>(response_data_length_))
                         ? ReceiveState::Etx
                         : ReceiveState::Send;
            return;
        case ReceiveState::Etx: {
            const auto byte = WaitSingleByte("タイムアウト キャラ間監視 ETX");
            if (byte && *byte == kEtx) {
                Store(*byte);
                state_ = ReceiveState::Bcc;
            } else {
                state_ = ReceiveState::Send;
            }
            return;
        }
        case ReceiveState::Bcc: {
            const auto byte = WaitSingleByte("タイムアウト キャラ間監視 BCC");
            if (byte) {
                Store(*byte);
                state_ = ReceiveState::CheckBcc;
            } else {
                state_ = ReceiveState::Send;
            }
            return;
        }
        case ReceiveState::CheckBcc: {
            const std::uint8_t bcc = ComputeBcc({response_.data() + 1, response_length_ - 2});
            if (bcc == response_[response_length_ - 1]) {
                state_ = ReceiveState::CheckReply;
            } else {
                WriteLog("BCCエラー");
                state_ = ReceiveState::Send;
            }
            return;
        }
        case ReceiveState::CheckReply:
            if (std::memcmp(response_.data() + kFrameHeaderBytes, invalid_command_marker_.data(),
                            kUndefinedBytes) == 0) {
                WriteLog("要求拒否 無効コマンド");
                result_ = TRANSACT_FAILED;
            }
            state_ = ReceiveState::Finish;
            return;
        case ReceiveState::Finish:
            return;
    }
}

// --- block operations -------------------------------------------------------------------

int SerialCom::Exchange(std::string_view failure_text) {
    const int result = Transact();
    if (result == TRANSACT_OK)
        return TRANSFER_OK;
    if (result == TRANSACT_STOPPED)
        return TRANSFER_STOPPED;
    std::string line = label_ + std::string(failure_text);
    if (line_gone_)
        line += kLineGoneReason;
    WriteLog(line);
    return TRANSFER_NO_RESPONSE;
}

int SerialCom::WriteStart(int kind, std::int32_t area, std::int32_t byte_count,
                          std::int32_t checksum) {
    label_ = WriteLabel(kind);
    std::uint8_t data[12];
    PutLe32(data, static_cast<std::uint32_t>(area));
    PutLe32(data + 4, static_cast<std::uint32_t>(byte_count));
    PutLe32(data + 8, static_cast<std::uint32_t>(checksum));
    PrepareRequest(kCmdWriteStart, data);
    if (const int exchanged = Exchange("書込開始 通信エラー"); exchanged != TRANSFER_OK)
        return exchanged;
    if (ResponseDataLength() < 1 || ResponseData()[0] != 0) {
        WriteLog(label_ + "書込開始 応答結果エラー");
        return TRANSFER_BAD_RESPONSE;
    }
    return TRANSFER_OK;
}

int SerialCom::WriteBlock(int kind, std::uint16_t block_number, int length,
                          const std::uint8_t* bytes) {
    label_ = WriteLabel(kind);
    std::array<std::uint8_t, 2 + kBlockBytes> data{};
    const std::size_t count =
        length <= 0 ? 0 : std::min(static_cast<std::size_t>(length), kBlockBytes);
    PutLe16(data.data(), block_number);
    if (count > 0)
        std::memcpy(data.data() + 2, bytes, count);
    PrepareRequest(kCmdWriteBlock, {data.data(), 2 + count});
    if (const int exchanged = Exchange("書込 通信エラー"); exchanged != TRANSFER_OK)
        return exchanged;
    const auto reply = ResponseData();
    if (reply.size() < 2 || GetLe16(reply.data()) != block_number) {
        char number[16];
        std::snprintf(number, sizeof number, " %03d", block_number);
        WriteLog(label_ + "書込 シーケンス不一致エラー シーケンス№" + number);
        return TRANSFER_BAD_RESPONSE;
    }
    if (reply.size() < 3 || reply[2] != 0) {
        WriteLog(label_ + "書込 応答結果エラー");
        return TRANSFER_BAD_RESPONSE;
    }
    return TRANSFER_OK;
}

int SerialCom::WriteEnd(int kind) {
    label_ = WriteLabel(kind);
    PrepareRequest(kCmdWriteEnd, {});
    stop_awaits_answer_ = true;
    const int exchanged = Exchange("書込終了 通信エラー");
    stop_awaits_answer_ = false;
    if (exchanged != TRANSFER_OK)
        return exchanged;
    if (ResponseDataLength() < 1 || ResponseData()[0] != 0) {
        WriteLog(label_ + "書込終了 チェックサムエラー");
        return TRANSFER_BAD_RESPONSE;
    }
    return TRANSFER_OK;
}

int SerialCom::ReadStart(int kind, std::int32_t area, std::int32_t byte_count) {
    label_ = ReadLabel(kind);
    std::uint8_t data[8];
    PutLe32(data, static_cast<std::uint32_t>(area));
    PutLe32(data + 4, static_cast<std::uint32_t>(byte_count));
    PrepareRequest(kCmdReadStart, data);
    if (const int exchanged = Exchange("読込開始 通信エラー"); exchanged != TRANSFER_OK)
        return exchanged;
    if (ResponseDataLength() < 1 || ResponseData()[0] != 0) {
        WriteLog(label_ + "読込開始 応答結果エラー");
        return TRANSFER_BAD_RESPONSE;
    }
    return TRANSFER_OK;
}

int SerialCom::ReadBlock(int kind, std::uint16_t block_number,
                         std::span<std::uint8_t, kBlockBytes> block) {
    label_ = ReadLabel(kind);
    std::uint8_t data[2];
    PutLe16(data, block_number);
    PrepareRequest(kCmdReadBlock, data);
    if (const int exchanged = Exchange("読込 通信エラー"); exchanged != TRANSFER_OK)
        return exchanged;
    const auto reply = ResponseData();
    if (reply.size() < 2 || GetLe16(reply.data()) != block_number) {
        char number[16];
        std::snprintf(number, sizeof number, " %03d", block_number);
        WriteLog(label_ + "読込 シーケンス不一致エラー シーケンス№" + number);
        return TRANSFER_BAD_RESPONSE;
    }
    // A reply without the whole block is an error, never a read of what the buffer held.
    if (reply.size() < 2 + kBlockBytes) {
        WriteLog(label_ + "読込 応答結果エラー");
        return TRANSFER_BAD_RESPONSE;
    }
    std::memcpy(block.data(), reply.data() + 2, kBlockBytes);
    return TRANSFER_OK;
}

int SerialCom::ReadEnd(int kind) {
    label_ = ReadLabel(kind);
    PrepareRequest(kCmdReadEnd, {});
    if (const int exchanged = Exchange("読込終了 通信エラー"); exchanged != TRANSFER_OK)
        return exchanged;
    return TRANSFER_OK;
}

}  // namespace kotar
