#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace kotar {

// Reads the whole file into out[0 .. size) when the file is exactly `size` bytes long; false
// (out unspecified) when it cannot be read or has another length.
bool ReadFileOfExactSize(const std::filesystem::path& path, std::size_t size, std::uint8_t* out);

}  // namespace kotar
