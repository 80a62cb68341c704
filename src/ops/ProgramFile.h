// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "common/Prompter.h"

namespace kotar {

// The device's two program files. Both end in a 48-byte trailer: a 16-byte tag field ("APLI"
// or "UDPG", one character not interpreted, the device name), a 16-byte creation date, a
// 9-byte version, 5 bytes not interpreted and a CRC-16/MCRF4XX of everything before it.
inline constexpr std::size_t kApplicationFileBytes = 384000;
inline constexpr std::size_t kApplicationImageBytes = 0x60000;  // the file, 0xFF padded
inline constexpr std::size_t kUpdateFileBytes = 4096;
inline constexpr std::size_t kProgramTrailerBytes = 48;

// CRC-16/MCRF4XX: reflected polynomial 0x8408, initial 0xFFFF, no final XOR.
std::uint16_t Crc16Mcrf4xx(std::span<const std::uint8_t> bytes);

// The texts of a trailer (UTF-8).
struct ProgramFileFields {
    std::string device_name;
    std::string version;
    std::string date;
};

// A chosen program file: its image as it will be sent, the fields shown, its checksum.
struct ProgramSelection {
    std::vector<std::uint8_t> image;
    std::uint32_t checksum = 0;
    ProgramFileFields fields;
    std::string path;

    bool selected() const { return !path.empty(); }
    // Forgets the file: image all 0xFF, texts empty.
    void Clear(std::size_t image_bytes);
};

// The texts of the trailer that begins at trailer[0]; the tag (first four characters of the
// tag field) goes to *tag.
ProgramFileFields ReadTrailerFields(std::span<const std::uint8_t> trailer, std::string* tag);

// The chosen file's extension is exactly "bin" (letter case counts, so ".BIN" is refused).
bool HasProgramFileExtension(const std::filesystem::path& path);

enum class ProgramFileCheck { Ok, WrongType, Unreadable, BadContent };

// Loads and checks an application file: 384000 bytes, CRC over bytes 0-383997 equal to the
// little-endian value at 383998, tag "APLI"; the image is padded with 0xFF to 393216 bytes and
// its checksum covers the padding.
ProgramFileCheck LoadApplicationFile(const std::filesystem::path& path, ProgramSelection* out);
// Loads and checks an update file: 4096 bytes, tag "UDPG"; the CRC of bytes 0-4093 is written
// at 4094 over what the file held, and the checksum includes it.
ProgramFileCheck LoadUpdateFile(const std::filesystem::path& path, ProgramSelection* out);

// The maintenance dialog's selection steps: check the extension, load, and show the message
// of a failure. A wrong type keeps the earlier selection; an unreadable or wrong file clears
// it. True when the file is now selected.
bool SelectApplicationFile(const std::filesystem::path& path, ProgramSelection* selection,
                           Prompter& prompter);
bool SelectUpdateFile(const std::filesystem::path& path, ProgramSelection* selection,
                      Prompter& prompter);

// Message of each failed check, as shown to the user (caption "書込ファイル確認").
void ShowProgramFileProblem(ProgramFileCheck check, Prompter& prompter);

}  // namespace kotar
