// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "store/DiskSpace.h"

namespace kotar::test {

// The bytes of a slot WAV file in the recording format with `sample_bytes` zero samples and,
// when attribute_cp932 is not empty, the LIST/INFO/atrb chunk after the RIFF form.
std::string MakeSlotWav(std::uint32_t sample_bytes, const std::string& attribute_cp932);

// Writes a file with the given bytes, making its folder first.
void PutFile(const std::filesystem::path& path, const std::string& bytes);

// A free-space source with figures set by the test.
class FakeSpaceSource : public FreeSpaceSource {
public:
    std::optional<DiskSpace> figures =
        DiskSpace{1'000'000'000'000, 900'000'000'000, 900'000'000'000};
    std::optional<DiskSpace> Query(const std::filesystem::path&) override { return figures; }
};

}  // namespace kotar::test
