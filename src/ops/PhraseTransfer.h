// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "link/SerialCom.h"
#include "ops/TransferSink.h"

namespace kotar {

// A phrase file (".snd") is the whole variable phrase area of the ROM pack.
inline constexpr std::size_t kPhraseFileBytes = 0x20000;
inline constexpr std::int32_t kPhraseArea = 0x80000;
inline constexpr int kPhraseBlocks = static_cast<int>(kPhraseFileBytes / kBlockBytes);

enum class PhraseWriteOutcome {
    kWritten,   // the device took the image (and, with verify, holds exactly it)
    kFailed,    // the file, the port or the device failed, or the check could not run
    kMismatch,  // the device took the image but holds something else: the write failed
};

// Writes a phrase file of exactly 131072 bytes into the device (kind 11, area 0x80000), with
// the status texts and progress (1 to 129) of the write/read dialog. With verify, the area is
// then read back over the same port (kind 21) and compared byte for byte with the file; the
// progress then runs over both passes (1 to 257).
PhraseWriteOutcome WritePhraseFile(const std::filesystem::path& file, int port_number,
                                   const LinkEnvironment& environment, TransferSink& sink,
                                   bool verify = false);
// The same for an image in memory (131072 bytes), so that what is sent and checked is exactly
// what the caller holds, whatever happens to a file of it meanwhile.
PhraseWriteOutcome WritePhraseImage(std::span<const std::uint8_t> image, int port_number,
                                    const LinkEnvironment& environment, TransferSink& sink,
                                    bool verify = false);

// The message box after a verified write found the device holding other bytes.
inline constexpr const char* kVerifyMismatchText =
    "書込後の照合で、ＲＯＭパックの不定フレーズが書き込んだデータと一致しませんでした。\n"
    "書込は失敗しています。もう一度書き込んでください。";
inline constexpr const char* kVerifyMismatchCaption = "照合結果";

// Reads the variable phrases (kind 21) and saves them to out, replacing it atomically and only
// after the read-end request succeeded; a failed read leaves out untouched. True on success.
bool ReadPhrasesToFile(const std::filesystem::path& out, int port_number,
                       const LinkEnvironment& environment, TransferSink& sink);

}  // namespace kotar
