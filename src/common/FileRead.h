// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace kotar {

// Reads the whole file into out[0 .. size) when the file is exactly `size` bytes long; false
// (out unspecified) when it cannot be read or has another length.
bool ReadFileOfExactSize(const std::filesystem::path& path, std::size_t size, std::uint8_t* out);

// std::fopen for a path: the name reaches the system as it is (UTF-16 on Windows, where the
// narrow form would go through the system's code page). Only a regular file opens: a pipe or a
// device under the name gives nullptr at once instead of waiting for a writer.
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);

// An open file that closes itself.
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace kotar
