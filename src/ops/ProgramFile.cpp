// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/ProgramFile.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>

#include "common/Cp932.h"
#include "common/FileRead.h"
#include "common/Utf8Path.h"
#include "link/Frame.h"
#include "ops/TransferSequence.h"

namespace kotar {
namespace {

constexpr const char* kCheckCaption = "書込ファイル確認";
constexpr std::size_t kTagFieldBytes = 16;
constexpr std::size_t kDateOffset = 16;
constexpr std::size_t kDateBytes = 16;
constexpr std::size_t kVersionOffset = 32;
constexpr std::size_t kVersionBytes = 9;

// A text field: up to max_bytes or the first zero byte.
std::string FieldText(std::span<const std::uint8_t> at, std::size_t max_bytes) {
    std::size_t n = 0;
    while (n < max_bytes && n < at.size() && at[n] != 0)
        ++n;
    return std::string(reinterpret_cast<const char*>(at.data()), n);
}

}  // namespace

namespace {

// The CRC of each byte value, so that a 384000-byte application file takes one step per byte.
constexpr std::array<std::uint16_t, 256> kCrc16Table = [] {
    std::array<std::uint16_t, 256> table{};
    for (unsigned value = 0; value < 256; ++value) {
        auto crc = static_cast<std::uint16_t>(value);
        for (int i = 0; i < 8; ++i) {
            crc = (crc & 1) != 0 ? static_cast<std::uint16_t>((crc >> 1) ^ 0x8408)
                                 : static_cast<std::uint16_t>(crc >> 1);
        }
        table[value] = crc;
    }
    return table;
}();

}  // namespace

std::uint16_t Crc16Mcrf4xx(std::span<const std::uint8_t> bytes) {
    std::uint16_t crc = 0xFFFF;
    for (std::uint8_t b : bytes)
        crc = static_cast<std::uint16_t>((crc >> 8) ^ kCrc16Table[(crc ^ b) & 0xFF]);
    return crc;
}

void ProgramSelection::Clear(std::size_t image_bytes) {
    image.assign(image_bytes, 0xFF);
    checksum = 0;
    fields = {};
    path.clear();
}

ProgramFileFields ReadTrailerFields(std::span<const std::uint8_t> trailer, std::string* tag) {
    const std::string tag_field = FieldText(trailer, kTagFieldBytes);
    if (tag != nullptr)
        *tag = tag_field.substr(0, 4);
    ProgramFileFields fields;
    if (tag_field.size() > 5)
        fields.device_name = Cp932ToUtf8(tag_field.substr(5));
    fields.date = Cp932ToUtf8(FieldText(trailer.subspan(kDateOffset), kDateBytes));
    fields.version = Cp932ToUtf8(FieldText(trailer.subspan(kVersionOffset), kVersionBytes));
    return fields;
}

bool HasProgramFileExtension(const std::filesystem::path& path) {
    return path.extension().string() == ".bin";
}

namespace {

// The part both program files share once their CRC is settled: the trailer's tag must be
// `tag`; then the selection takes the image, its additive checksum and the trailer fields.
ProgramFileCheck AcceptProgramImage(std::vector<std::uint8_t> image, std::size_t file_bytes,
                                    const char* tag, const std::filesystem::path& path,
                                    ProgramSelection* out) {
    std::string found_tag;
    const ProgramFileFields fields = ReadTrailerFields(
        {image.data() + file_bytes - kProgramTrailerBytes, kProgramTrailerBytes}, &found_tag);
    if (found_tag != tag)
        return ProgramFileCheck::BadContent;
    out->image = std::move(image);
    out->checksum = AdditiveChecksum(out->image);
    out->fields = fields;
    out->path = PathToUtf8(path);
    return ProgramFileCheck::Ok;
}

}  // namespace

ProgramFileCheck LoadApplicationFile(const std::filesystem::path& path, ProgramSelection* out) {
    std::vector<std::uint8_t> image(kApplicationImageBytes, 0xFF);
    if (!ReadFileOfExactSize(path, kApplicationFileBytes, image.data()))
        return ProgramFileCheck::Unreadable;
    const std::size_t crc_at = kApplicationFileBytes - 2;
    if (Crc16Mcrf4xx({image.data(), crc_at}) != GetLe16(image.data() + crc_at)) {
        return ProgramFileCheck::BadContent;
    }
    return AcceptProgramImage(std::move(image), kApplicationFileBytes, "APLI", path, out);
}

ProgramFileCheck LoadUpdateFile(const std::filesystem::path& path, ProgramSelection* out) {
    std::vector<std::uint8_t> image(kUpdateFileBytes, 0xFF);
    if (!ReadFileOfExactSize(path, kUpdateFileBytes, image.data()))
        return ProgramFileCheck::Unreadable;
    // The update file carries no CRC of its own: the device expects it in the last two bytes.
    const std::size_t crc_at = kUpdateFileBytes - 2;
    PutLe16(image.data() + crc_at, Crc16Mcrf4xx({image.data(), crc_at}));
    return AcceptProgramImage(std::move(image), kUpdateFileBytes, "UDPG", path, out);
}

void ShowProgramFileProblem(ProgramFileCheck check, Prompter& prompter) {
    switch (check) {
        case ProgramFileCheck::WrongType:
            prompter.ShowText(
                "指定した形式のファイルは書き込めません。\nファイルを確認してください。",
                kCheckCaption, MessageIcon::Error);
            break;
        case ProgramFileCheck::Unreadable:
            prompter.ShowText(
                "選択したファイルが読み込めませんでした。\nファイルを確認してください。",
                kCheckCaption, MessageIcon::Information);
            break;
        case ProgramFileCheck::BadContent:
            prompter.ShowText(
                "選択したファイルの内容が正しくありません。\nファイルを確認してください。",
                kCheckCaption, MessageIcon::Information);
            break;
        case ProgramFileCheck::Ok:
            break;
    }
}

namespace {

bool Select(const std::filesystem::path& path, ProgramSelection* selection, Prompter& prompter,
            ProgramFileCheck (*load)(const std::filesystem::path&, ProgramSelection*),
            std::size_t image_bytes) {
    if (!HasProgramFileExtension(path)) {
        ShowProgramFileProblem(ProgramFileCheck::WrongType, prompter);
        return false;
    }
    const ProgramFileCheck check = load(path, selection);
    if (check != ProgramFileCheck::Ok) {
        ShowProgramFileProblem(check, prompter);
        selection->Clear(image_bytes);
        return false;
    }
    return true;
}

}  // namespace

bool SelectApplicationFile(const std::filesystem::path& path, ProgramSelection* selection,
                           Prompter& prompter) {
    return Select(path, selection, prompter, &LoadApplicationFile, kApplicationImageBytes);
}

bool SelectUpdateFile(const std::filesystem::path& path, ProgramSelection* selection,
                      Prompter& prompter) {
    return Select(path, selection, prompter, &LoadUpdateFile, kUpdateFileBytes);
}

}  // namespace kotar
