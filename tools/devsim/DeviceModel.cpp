// SPDX-License-Identifier: GPL-3.0-or-later
#include "DeviceModel.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "link/Frame.h"

namespace kotar::devsim {
namespace {

struct FaultNameEntry {
    DeviceFault fault;
    std::string_view name;
};
constexpr FaultNameEntry kFaultNames[] = {
    {DeviceFault::StaysSilent, "silent"},
    {DeviceFault::RejectsRequest, "xxxx"},
    {DeviceFault::AnswersUndefined, "undefined"},
    {DeviceFault::SendsWrongBcc, "bad-bcc"},
    {DeviceFault::EchoesWrongBlockNumber, "wrong-block"},
    {DeviceFault::ReportsBlockError, "block-error"},
    {DeviceFault::RefusesChecksum, "refuse-checksum"},
    {DeviceFault::SendsNoiseBeforeStx, "noise"},
    {DeviceFault::AnswersOtherCommand, "other-command"},
    {DeviceFault::StopsMidFrame, "stop-mid-frame"},
    {DeviceFault::Vanishes, "vanish"},
    {DeviceFault::CorruptsStoredByte, "corrupt-byte"},
};

std::vector<std::uint8_t> ResponseFrame(std::string_view command,
                                        std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> frame = EncodeFrame(kResponseMark, 0, data);
    std::memcpy(frame.data() + 2, command.data(), 4);
    frame.back() = ComputeBcc({frame.data() + 1, frame.size() - 2});
    return frame;
}

std::string CommandText(int command) {
    char text[8];
    std::snprintf(text, sizeof text, "%04d", command % 10000);
    return text;
}

bool IsBlockCommand(int command) {
    return command == kCmdWriteBlock || command == kCmdReadBlock;
}

}  // namespace

bool ParseFaultName(std::string_view name, DeviceFault* fault) {
    for (const auto& entry : kFaultNames) {
        if (entry.name == name) {
            *fault = entry.fault;
            return true;
        }
    }
    return false;
}

std::string_view FaultName(DeviceFault fault) {
    for (const auto& entry : kFaultNames) {
        if (entry.fault == fault)
            return entry.name;
    }
    return "?";
}

DeviceModel::DeviceModel() : memory_(kMemoryBytes, 0xFF) {
    const std::vector<std::uint8_t> data = DataAreaContent();
    std::copy(data.begin(), data.end(), memory_.begin() + kDataArea);
}

std::vector<std::uint8_t> DeviceModel::DataAreaContent() {
    std::vector<std::uint8_t> data(kDataAreaBytes);
    for (std::uint32_t i = 0; i < kDataAreaBytes; ++i)
        data[i] = static_cast<std::uint8_t>(i);
    for (std::uint32_t block = 0; block < kDataAreaBytes / 1024; ++block) {
        char head[32];
        const int n = std::snprintf(head, sizeof head, "DEVSIM DATA BLOCK %03u", block + 1);
        std::memcpy(data.data() + block * 1024, head, static_cast<std::size_t>(n));
    }
    return data;
}

std::span<const std::uint8_t> DeviceModel::Memory(std::uint32_t address, std::size_t count) const {
    if (address >= memory_.size())
        return {};
    count = std::min<std::size_t>(count, memory_.size() - address);
    return {memory_.data() + address, count};
}

std::vector<std::uint8_t> DeviceModel::Receive(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> out;
    for (std::uint8_t b : bytes) {
        std::vector<std::uint8_t> answer = ReceiveByte(b);
        out.insert(out.end(), answer.begin(), answer.end());
    }
    return out;
}

std::vector<std::uint8_t> DeviceModel::ReceiveByte(std::uint8_t byte) {
    if (vanished_)
        return {};
    if (pending_.empty() && byte != kStx)
        return {};  // line noise between frames
    pending_.push_back(byte);
    if (pending_.size() == 2 && byte != kRequestMark) {
        pending_.clear();
        return {};
    }
    if (pending_.size() < kFrameHeaderBytes)
        return {};
    if (pending_.size() == kFrameHeaderBytes) {
        for (std::size_t i = 2; i < kFrameHeaderBytes; ++i) {
            if (pending_[i] < '0' || pending_[i] > '9') {
                pending_.clear();
                return {};
            }
        }
    }
    const std::size_t n = static_cast<std::size_t>(ParseLengthField({pending_.data() + 6, 6}));
    if (n > kMaxFrameDataBytes) {
        pending_.clear();
        return {};
    }
    if (pending_.size() < kFrameOverheadBytes + n)
        return {};
    std::vector<std::uint8_t> frame;
    frame.swap(pending_);
    return Answer(frame);
}

DeviceModel::Rule* DeviceModel::MatchingRule(int command, int block) {
    for (Rule& r : rules_) {
        if (r.rule.times > 0 && r.hits >= r.rule.times)
            continue;
        if (r.rule.command != 0 && r.rule.command != command)
            continue;
        if (r.rule.block != 0 && (!IsBlockCommand(command) || r.rule.block != block))
            continue;
        // Faults that only concern some replies do not spend their count on others.
        if (r.rule.fault == DeviceFault::EchoesWrongBlockNumber && !IsBlockCommand(command))
            continue;
        if (r.rule.fault == DeviceFault::ReportsBlockError && command != kCmdWriteBlock)
            continue;
        if ((r.rule.fault == DeviceFault::RefusesChecksum ||
             r.rule.fault == DeviceFault::CorruptsStoredByte) &&
            command != kCmdWriteEnd)
            continue;
        return &r;
    }
    return nullptr;
}

std::vector<std::uint8_t> DeviceModel::Answer(std::span<const std::uint8_t> frame) {
    const auto decoded = DecodeFrame(frame);
    if (!decoded)
        return {};  // a damaged request goes unanswered
    ++requests_received_;
    const int command = std::atoi(std::string(decoded->command).c_str());
    commands_.push_back(command);
    const int block =
        IsBlockCommand(command) && decoded->data.size() >= 2 ? GetLe16(decoded->data.data()) : 0;
    if (observer_)
        observer_(command, block);
    Rule* rule = MatchingRule(command, block);
    if (rule != nullptr)
        ++rule->hits;
    const FaultRule* fault = rule ? &rule->rule : nullptr;

    if (fault && fault->fault == DeviceFault::Vanishes)
        vanished_ = true;
    if (fault && (fault->fault == DeviceFault::StaysSilent || vanished_))
        return {};
    if (fault && fault->fault == DeviceFault::RejectsRequest)
        return ResponseFrame("XXXX", {});
    if (fault && fault->fault == DeviceFault::AnswersUndefined) {
        const std::string_view text = "UNDEFINED";
        return ResponseFrame(decoded->command,
                             {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    }
    std::vector<std::uint8_t> answer = Handle(command, decoded->data, fault);
    if (!fault)
        return answer;
    switch (fault->fault) {
        case DeviceFault::SendsWrongBcc:
            answer.back() ^= 0x5A;
            break;
        case DeviceFault::SendsNoiseBeforeStx: {
            const std::uint8_t noise[] = {0x00, 0x55, 0xFF, kResponseMark, kEtx, 0x30};
            answer.insert(answer.begin(), std::begin(noise), std::end(noise));
            break;
        }
        case DeviceFault::AnswersOtherCommand: {
            const std::string other =
                CommandText(command == kCmdReadEnd ? kCmdWriteEnd : command + 1);
            std::memcpy(answer.data() + 2, other.data(), 4);
            answer.back() = ComputeBcc({answer.data() + 1, answer.size() - 2});
            break;
        }
        case DeviceFault::StopsMidFrame: {
            const std::size_t cut = fault->cut_at_bytes > 0
                                        ? static_cast<std::size_t>(fault->cut_at_bytes)
                                        : answer.size() / 2;
            answer.resize(std::min(cut, answer.size() - 1));
            break;
        }
        default:
            break;
    }
    return answer;
}

std::vector<std::uint8_t> DeviceModel::Handle(int command, std::span<const std::uint8_t> data,
                                              const FaultRule* fault) {
    const std::string code = CommandText(command);
    const auto is = [fault](DeviceFault f) { return fault != nullptr && fault->fault == f; };
    const auto in_memory = [](std::uint32_t area, std::uint32_t bytes) {
        return area <= kMemoryBytes && bytes <= kMemoryBytes - area;
    };
    switch (command) {
        case kCmdWriteStart: {
            if (data.size() != 12)
                break;
            write_area_ = GetLe32(data.data());
            write_bytes_ = GetLe32(data.data() + 4);
            write_checksum_ = GetLe32(data.data() + 8);
            end_verdict_.reset();
            const std::uint8_t result = in_memory(write_area_, write_bytes_) ? 0 : 1;
            if (result != 0)
                write_bytes_ = 0;
            return ResponseFrame(code, {&result, 1});
        }
        case kCmdWriteBlock: {
            if (data.size() < 2)
                break;
            const std::uint16_t block = GetLe16(data.data());
            const std::size_t count = data.size() - 2;
            const std::uint64_t offset = (static_cast<std::uint64_t>(block) - 1) * 1024;
            std::uint8_t reply[3];
            PutLe16(reply, is(DeviceFault::EchoesWrongBlockNumber)
                               ? static_cast<std::uint16_t>(block + 1)
                               : block);
            reply[2] = 1;
            if (block >= 1 && count <= 1024 && offset + count <= write_bytes_) {
                std::memcpy(memory_.data() + write_area_ + offset, data.data() + 2, count);
                reply[2] = 0;
                end_verdict_.reset();
            }
            if (is(DeviceFault::ReportsBlockError))
                reply[2] = 1;
            return ResponseFrame(code, reply);
        }
        case kCmdWriteEnd: {
            if (!end_verdict_) {
                std::uint32_t sum = 0;
                for (std::uint8_t b : Memory(write_area_, write_bytes_))
                    sum += b;
                end_verdict_ = sum == write_checksum_ ? 0 : 1;
                // The image is taken as it arrived; the fault stores one of its bytes wrong.
                const auto at = static_cast<std::uint32_t>(fault ? fault->offset : 0);
                if (*end_verdict_ == 0 && is(DeviceFault::CorruptsStoredByte) && at < write_bytes_)
                    memory_[write_area_ + at] ^= 0x01;
            }
            std::uint8_t result = *end_verdict_;
            if (is(DeviceFault::RefusesChecksum))
                result = 1;
            return ResponseFrame(code, {&result, 1});
        }
        case kCmdReadStart: {
            if (data.size() != 8)
                break;
            read_area_ = GetLe32(data.data());
            read_bytes_ = GetLe32(data.data() + 4);
            const std::uint8_t result = in_memory(read_area_, read_bytes_) ? 0 : 1;
            if (result != 0)
                read_bytes_ = 0;
            return ResponseFrame(code, {&result, 1});
        }
        case kCmdReadBlock: {
            if (data.size() != 2)
                break;
            const std::uint16_t block = GetLe16(data.data());
            std::vector<std::uint8_t> reply(2 + 1024, 0xFF);
            PutLe16(reply.data(), is(DeviceFault::EchoesWrongBlockNumber)
                                      ? static_cast<std::uint16_t>(block + 1)
                                      : block);
            if (block >= 1) {
                const std::uint64_t address =
                    read_area_ + (static_cast<std::uint64_t>(block) - 1) * 1024;
                if (address < kMemoryBytes) {
                    const auto bytes = Memory(static_cast<std::uint32_t>(address), 1024);
                    std::copy(bytes.begin(), bytes.end(), reply.begin() + 2);
                }
            }
            return ResponseFrame(code, reply);
        }
        case kCmdReadEnd: {
            const std::uint8_t result = 0;
            return ResponseFrame(code, {&result, 1});
        }
        default:
            break;
    }
    const std::string_view text = "UNDEFINED";
    return ResponseFrame(code, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

}  // namespace kotar::devsim
