// SPDX-License-Identifier: GPL-3.0-or-later
#include "StoreFixtures.h"

#include "TempDir.h"

namespace kotar::test {
namespace {

void PutU32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void PutU16(std::string& out, std::uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

}  // namespace

std::string MakeSlotWav(std::uint32_t sample_bytes, const std::string& attribute_cp932) {
    std::uint32_t padded = sample_bytes + (sample_bytes & 1);
    std::string out = "RIFF";
    PutU32(out, 4 + 26 + 8 + padded);
    out += "WAVEfmt ";
    PutU32(out, 18);
    PutU16(out, 1);      // PCM
    PutU16(out, 1);      // mono
    PutU32(out, 8000);   // samples per second
    PutU32(out, 16000);  // bytes per second
    PutU16(out, 2);      // block align
    PutU16(out, 16);     // bits per sample
    PutU16(out, 0);      // extra size
    out += "data";
    PutU32(out, sample_bytes);
    out.append(padded, '\0');
    if (!attribute_cp932.empty()) {
        auto t = static_cast<std::uint32_t>(attribute_cp932.size());
        out += "LIST";
        PutU32(out, 4 + 8 + t + (t & 1));
        out += "INFOatrb";
        PutU32(out, t);
        out += attribute_cp932;
        if (t & 1)
            out += '\0';
    }
    return out;
}

void PutFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    WriteText(path, bytes);
}

}  // namespace kotar::test
