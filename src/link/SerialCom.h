// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/ProfileFile.h"
#include "link/Frame.h"
#include "link/SerialPort.h"

namespace kotar {

// Results of Transact.
inline constexpr int TRANSACT_OK = 0;
inline constexpr int TRANSACT_FAILED = -1;
// The user stopped the transfer: the exchange ended without sending anything more.
inline constexpr int TRANSACT_STOPPED = -3;
// Results of the block operations.
inline constexpr int TRANSFER_OK = 0;
inline constexpr int TRANSFER_NO_RESPONSE = -2;
inline constexpr int TRANSFER_BAD_RESPONSE = -5;
inline constexpr int TRANSFER_STOPPED = -7;
// Transfer kinds; they only choose the label of the log texts and are not sent.
inline constexpr int KIND_PHRASE_WRITE = 11;
inline constexpr int KIND_PROGRAM_WRITE = 12;
inline constexpr int KIND_PHRASE_READ = 21;
inline constexpr int KIND_DATA_READ = 22;

inline constexpr std::size_t kBlockBytes = 1024;
inline constexpr int kMaxAttempts = 6;
inline constexpr int kResponseTimeoutTicks = 20;
inline constexpr int kCharTimeoutTicks = 4;

// What a link object needs from its surroundings. Every member has a working default.
struct LinkEnvironment {
    // Folder of the communication log; empty: the folder of the running executable, or the
    // user's state folder when the executable's folder takes no new files.
    std::filesystem::path log_folder;
    // Configuration file whose PORTS section maps port numbers to devices (may be null).
    const ProfileFile* ini = nullptr;
    // Makes the port object; null: the platform backend.
    std::function<std::unique_ptr<SerialPort>()> make_port;
    // Called before every step of an exchange, and at least every kPumpIntervalMs while the
    // exchange waits for the line, so that a window stays painted.
    std::function<void()> event_pump;
    // Asked before every request is sent and while the answer has not begun: true ends the
    // exchange with TRANSACT_STOPPED, so nothing more is sent. Null: a transfer is never
    // stopped.
    std::function<bool()> stop_requested;
};

// The longest the exchange waits for the line before it calls the event pump again.
inline constexpr int kPumpIntervalMs = 20;
// Added to the log line of an operation whose device vanished.
inline constexpr std::string_view kLineGoneReason = " 回線切断";

// The device link for one transfer: opens the port, runs framed request/response exchanges
// with up to six attempts each, and writes every failure it meets to the communication log.
class SerialCom {
public:
    enum class ReceiveState {
        Send,
        WaitStx,
        WaitHeader,
        Command,
        CheckCommand,
        Length,
        Data,
        Etx,
        Bcc,
        CheckBcc,
        CheckReply,
        Finish,
    };

    explicit SerialCom(LinkEnvironment environment = {});
    virtual ~SerialCom();
    SerialCom(const SerialCom&) = delete;
    SerialCom& operator=(const SerialCom&) = delete;

    bool OpenPort(int port_number);
    bool ClosePort();
    bool IsPortOpen() const;

    // Sends the prepared request and receives its response; TRANSACT_OK or TRANSACT_FAILED.
    int Transact();
    // Appends one line to the communication log.
    void WriteLog(std::string_view text);
    // True once the user asked to stop the transfer.
    bool StopRequested() const;

    int WriteStart(int kind, std::int32_t area, std::int32_t byte_count, std::int32_t checksum);
    int WriteBlock(int kind, std::uint16_t block_number, int length, const std::uint8_t* bytes);
    int WriteEnd(int kind);
    int ReadStart(int kind, std::int32_t area, std::int32_t byte_count);
    // On success the 1024 block bytes are in block.
    int ReadBlock(int kind, std::uint16_t block_number, std::span<std::uint8_t, kBlockBytes> block);
    int ReadEnd(int kind);

    // Builds the request frame for Transact.
    void PrepareRequest(int command, std::span<const std::uint8_t> data);

    std::span<const std::uint8_t> request() const { return {request_.data(), request_length_}; }
    std::span<const std::uint8_t> response() const { return {response_.data(), response_length_}; }
    int attempts() const { return attempt_; }
    // True when the last exchange ended because the device was gone (hung up, unplugged).
    bool line_gone() const { return line_gone_; }
    const std::string& label() const { return label_; }
    // True when the last OpenPort failed because the user may not open the port.
    bool open_denied() const { return open_denied_; }
    const std::filesystem::path& log_folder() const { return log_folder_; }

private:
    void Step();
    // Whether a stop ends the exchange in its current state.
    bool StopEndsExchange() const;
    // Transact for a block operation: TRANSFER_OK, TRANSFER_STOPPED, or TRANSFER_NO_RESPONSE
    // after logging the label followed by failure_text.
    int Exchange(std::string_view failure_text);
    void Store(std::uint8_t byte);
    bool StoreBytes(std::size_t count);
    std::optional<std::uint8_t> WaitSingleByte(std::string_view timeout_text);
    bool WaitForBytes(int count, std::string_view timeout_text);
    std::span<const std::uint8_t> ResponseData() const;
    bool AwaitLine();
    void Pump();
    int ResponseDataLength() const { return response_data_length_; }

    // Marker fields kept as the device protocol names them.
    std::array<char, 10> invalid_command_marker_{};
    std::array<char, 5> reject_code_{};
    std::unique_ptr<SerialPort> port_;
    std::array<std::uint8_t, kFrameBufferBytes> request_{};
    std::array<std::uint8_t, kFrameBufferBytes> response_{};
    std::size_t request_length_ = 0;
    std::size_t response_length_ = 0;
    int attempt_ = 0;
    int result_ = 0;
    int response_data_length_ = 0;
    std::filesystem::path log_folder_;
    ReceiveState state_ = ReceiveState::Send;
    std::string label_;
    bool line_gone_ = false;
    bool open_denied_ = false;
    std::chrono::steady_clock::time_point last_pump_;
    // The write end is acted on as soon as the device has it: only its answer tells whether
    // the image was taken, so a stop waits for it (one attempt, no more).
    bool stop_awaits_answer_ = false;

    LinkEnvironment environment_;
};

// The label of the log texts of the write and read operations for a kind.
std::string WriteLabel(int kind);
std::string ReadLabel(int kind);

}  // namespace kotar
