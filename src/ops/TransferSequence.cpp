// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/TransferSequence.h"

#include <algorithm>
#include <array>

namespace kotar {
namespace {

std::string FailureSuffix(int result, bool line_gone) {
    // A device that vanished gave no answer either, but the user has a cable to check.
    if (line_gone)
        return "（回線切断）";
    return result == TRANSFER_NO_RESPONSE ? "（応答無し）" : "（応答結果異常）";
}

}  // namespace

std::uint32_t AdditiveChecksum(std::span<const std::uint8_t> bytes) {
    std::uint32_t sum = 0;
    for (std::uint8_t b : bytes)
        sum += b;
    return sum;
}

int RunWriteSequence(SerialCom& link, int kind, std::int32_t area,
                     std::span<const std::uint8_t> bytes, std::uint32_t checksum,
                     const std::function<void()>& after_block) {
    int result = link.WriteStart(kind, area, static_cast<std::int32_t>(bytes.size()),
                                 static_cast<std::int32_t>(checksum));
    if (result != TRANSFER_OK)
        return result;
    const std::size_t blocks = (bytes.size() + kBlockBytes - 1) / kBlockBytes;
    for (std::size_t i = 1; i <= blocks; ++i) {
        const std::size_t offset = (i - 1) * kBlockBytes;
        const std::size_t count = std::min(bytes.size() - offset, kBlockBytes);
        result = link.WriteBlock(kind, static_cast<std::uint16_t>(i), static_cast<int>(count),
                                 bytes.data() + offset);
        if (result != TRANSFER_OK)
            return result;
        if (after_block)
            after_block();
    }
    return link.WriteEnd(kind);
}

int RunReadSequence(SerialCom& link, int kind, std::int32_t area, std::span<std::uint8_t> out,
                    const std::function<void()>& after_block) {
    int result = link.ReadStart(kind, area, static_cast<std::int32_t>(out.size()));
    if (result != TRANSFER_OK)
        return result;
    const std::size_t blocks = out.size() / kBlockBytes;
    for (std::size_t i = 1; i <= blocks; ++i) {
        std::array<std::uint8_t, kBlockBytes> block;
        block.fill(0xFF);
        result = link.ReadBlock(kind, static_cast<std::uint16_t>(i), block);
        if (result != TRANSFER_OK)
            return result;
        std::copy(block.begin(), block.end(),
                  out.begin() + static_cast<std::ptrdiff_t>((i - 1) * kBlockBytes));
        if (after_block)
            after_block();
    }
    return link.ReadEnd(kind);
}

std::string WriteFailedText(const std::string& label, int result, bool line_gone) {
    if (result == TRANSFER_STOPPED)
        return label + " 書込中止";
    return label + " 書込失敗" + FailureSuffix(result, line_gone);
}

std::string ReadFailedText(const std::string& label, int result, bool line_gone) {
    if (result == TRANSFER_STOPPED)
        return label + " 読込中止";
    return label + " 読込失敗" + FailureSuffix(result, line_gone);
}

std::string PortOpenErrorText(const SerialCom& link) {
    if (!link.open_denied())
        return kPortOpenErrorText;
    return std::string(kPortOpenErrorText) + " " + kPortPermissionHint;
}

void ShowSequenceEnd(SerialCom& link, TransferSink& sink, const std::string& text, int result) {
    sink.SetStatus(text);
    if (result == TRANSFER_STOPPED)
        link.WriteLog(text);
}

}  // namespace kotar
