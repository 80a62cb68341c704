#pragma once

#include <cstdint>
#include <filesystem>

#include "link/SerialCom.h"
#include "ops/TransferSink.h"

namespace kotar {

// A phrase file (".snd") is the whole variable phrase area of the ROM pack.
inline constexpr std::size_t kPhraseFileBytes = 0x20000;
inline constexpr std::int32_t kPhraseArea = 0x80000;
inline constexpr int kPhraseBlocks = static_cast<int>(kPhraseFileBytes / kBlockBytes);

// Writes a phrase file of exactly 131072 bytes into the device (kind 11, area 0x80000), with
// the status texts and progress (1 to 129) of the write/read dialog. With verify, the area is
// then read back over the same port (kind 21) and compared byte for byte with the file; the
// progress then runs over both passes (1 to 257). True on success (and, with verify, a match).
bool WritePhraseFile(const std::filesystem::path& file, int port_number,
                     const LinkEnvironment& environment, TransferSink& sink, bool verify = false);

// Reads the variable phrases (kind 21) and saves them to out, replacing it atomically and only
// after the read-end request succeeded; a failed read leaves out untouched. True on success.
bool ReadPhrasesToFile(const std::filesystem::path& out, int port_number,
                       const LinkEnvironment& environment, TransferSink& sink);

}  // namespace kotar
