// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/Utf8Path.h"

namespace kotar::test {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const {
        return path_ / PathFromUtf8(name);
    }

private:
    std::filesystem::path path_;
};

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path);
std::string ReadText(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
void WriteText(const std::filesystem::path& path, std::string_view text);

// True when the file system of folder keeps names that differ only in letter case apart
// (Linux), false where they name one file (Windows).
bool NamesDifferingInCaseAreDistinct(const std::filesystem::path& folder);
// The names in folder as they are stored, sorted.
std::vector<std::string> EntryNames(const std::filesystem::path& folder);

}  // namespace kotar::test
