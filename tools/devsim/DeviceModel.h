// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kotar::devsim {

// What a simulated device does wrong.
enum class DeviceFault {
    StaysSilent,             // answers nothing
    RejectsRequest,          // answers with the command field "XXXX"
    AnswersUndefined,        // answers with data beginning "UNDEFINED"
    SendsWrongBcc,           // answers with a wrong BCC
    EchoesWrongBlockNumber,  // a block reply carries the next block's number
    ReportsBlockError,       // a write-block reply carries result byte 1
    RefusesChecksum,         // the write-end reply carries result byte 1
    SendsNoiseBeforeStx,     // sends bytes that are no frame before its answer
    AnswersOtherCommand,     // answers with another command code
    StopsMidFrame,           // sends part of its answer and then nothing
    Vanishes,                // is unplugged on receiving the request: the line hangs up
    CorruptsStoredByte,      // takes a written image but stores one byte of it wrong
};

// A fault and the requests it hits.
struct FaultRule {
    DeviceFault fault = DeviceFault::StaysSilent;
    int times = 0;         // how many matching requests it hits; 0: every one
    int command = 0;       // only requests with this command code; 0: any
    int block = 0;         // only block requests with this block number; 0: any
    int cut_at_bytes = 0;  // StopsMidFrame: bytes sent before stopping; 0: half the answer
    int offset = 0;        // CorruptsStoredByte: the byte's offset in the written area
};

// Names used on the simulator's command line ("silent", "xxxx", ...); false when unknown.
bool ParseFaultName(std::string_view name, DeviceFault* fault);
std::string_view FaultName(DeviceFault fault);

// The notification device as the link sees it: takes request bytes, answers each complete
// request frame, and keeps a memory of 1 MiB where unwritten bytes read 0xFF. The data area
// (0x60000, 64 KiB) holds recognisable content: each 1024-byte block begins with
// "DEVSIM DATA BLOCK nnn" and continues with the low byte of its offset.
class DeviceModel {
public:
    static constexpr std::uint32_t kMemoryBytes = 0x100000;
    static constexpr std::uint32_t kDataArea = 0x60000;
    static constexpr std::uint32_t kDataAreaBytes = 0x10000;

    DeviceModel();

    void AddFault(const FaultRule& rule) { rules_.push_back(Rule{rule, 0}); }
    // Called with the command code and block number (0 for other requests) of every complete
    // request before it is answered, on the thread that feeds the model.
    void SetRequestObserver(std::function<void(int command, int block)> observer) {
        observer_ = std::move(observer);
    }

    // Takes one received byte; returns what the device sends in answer (usually nothing until
    // a request frame is complete).
    std::vector<std::uint8_t> ReceiveByte(std::uint8_t byte);
    std::vector<std::uint8_t> Receive(std::span<const std::uint8_t> bytes);

    std::span<const std::uint8_t> Memory(std::uint32_t address, std::size_t count) const;
    static std::vector<std::uint8_t> DataAreaContent();

    int requests_received() const { return requests_received_; }
    // True once a Vanishes fault has hit; the device answers nothing after that.
    bool vanished() const { return vanished_; }
    // Command codes of the complete requests, in order.
    const std::vector<int>& commands() const { return commands_; }

private:
    struct Rule {
        FaultRule rule;
        int hits;
    };
    std::vector<std::uint8_t> Answer(std::span<const std::uint8_t> frame);
    std::vector<std::uint8_t> Handle(int command, std::span<const std::uint8_t> data,
                                     const FaultRule* fault);
    Rule* MatchingRule(int command, int block);

    std::vector<std::uint8_t> memory_;
    std::vector<std::uint8_t> pending_;
    std::vector<Rule> rules_;
    std::uint32_t write_area_ = 0;
    std::uint32_t write_bytes_ = 0;
    std::uint32_t write_checksum_ = 0;
    // The verdict on the written image, given once after its last block; a repeated end
    // request (its answer lost) gets the same.
    std::optional<std::uint8_t> end_verdict_;
    std::uint32_t read_area_ = 0;
    std::uint32_t read_bytes_ = 0;
    int requests_received_ = 0;
    std::vector<int> commands_;
    bool vanished_ = false;
    std::function<void(int, int)> observer_;
};

}  // namespace kotar::devsim
