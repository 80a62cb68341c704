// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "link/SerialCom.h"
#include "ops/TransferSink.h"

namespace kotar {

// The additive checksum of a transfer: the 32-bit sum of its bytes, each unsigned.
std::uint32_t AdditiveChecksum(std::span<const std::uint8_t> bytes);

// Write start, the blocks (ceil(size / 1024), each min(remaining, 1024) bytes) and write end.
// Stops at the first operation that does not succeed and returns its result; after_block runs
// after every block that succeeded.
int RunWriteSequence(SerialCom& link, int kind, std::int32_t area,
                     std::span<const std::uint8_t> bytes, std::uint32_t checksum,
                     const std::function<void()>& after_block);

// Read start, the blocks into out (whose size is a multiple of 1024) and read end; the same
// stopping rule. out may hold a partial result after a failure.
int RunReadSequence(SerialCom& link, int kind, std::int32_t area, std::span<std::uint8_t> out,
                    const std::function<void()>& after_block);

// label + " 書込失敗" / " 読込失敗" + "（回線切断）" when the device vanished (line_gone: the
// link's line_gone() after the failing operation), else "（応答無し）" for TRANSFER_NO_RESPONSE
// or "（応答結果異常）"; label + " 書込中止" / " 読込中止" for TRANSFER_STOPPED.
std::string WriteFailedText(const std::string& label, int result, bool line_gone);
std::string ReadFailedText(const std::string& label, int result, bool line_gone);

// Shows the text of a sequence that did not succeed. A stop also leaves it in the log, as the
// one line of the stop (a failure has logged its details already).
void ShowSequenceEnd(SerialCom& link, TransferSink& sink, const std::string& text, int result);

inline constexpr const char* kPortOpenErrorText = "COMポートオープンエラー";
// Follows the open error when the user may not open the port.
inline constexpr const char* kPortPermissionHint =
    "ポートを開く権限がありません（dialout グループへの追加が必要です）";

// The status text of a port that OpenPort could not open, with the hint when it was refused.
std::string PortOpenErrorText(const SerialCom& link);

}  // namespace kotar
