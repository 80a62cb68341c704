// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>

#include "link/SerialCom.h"
#include "ops/ProgramFile.h"
#include "ops/TransferSink.h"

namespace kotar {

inline constexpr std::int32_t kApplicationArea = 0x80000;
inline constexpr std::int32_t kUpdateArea = 0x70000;
inline constexpr std::int32_t kDataArea = 0x60000;
inline constexpr std::size_t kDataAreaBytes = 0x10000;

// Writes the application image (area 0x80000, 384 blocks) and then the update image (area
// 0x70000, 4 blocks), each over a port opened for it, with progress 1 to 389. A failure in the
// application write skips the update write. True on success.
bool WriteProgram(const ProgramSelection& application, const ProgramSelection& update,
                  int port_number, const LinkEnvironment& environment, TransferSink& sink);

// Reads the 64 KiB data area (kind 22, area 0x60000) and saves it to out, replacing it
// atomically only after the read succeeded. True on success.
bool ReadDataToFile(const std::filesystem::path& out, int port_number,
                    const LinkEnvironment& environment, TransferSink& sink);

}  // namespace kotar
