// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kotar {

// Paths and the program's UTF-8 texts. A path made straight from a std::string takes the
// bytes in the system's narrow code page on Windows, which is not UTF-8; these conversions
// are exact on every system.
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string PathToUtf8(const std::filesystem::path& path);

}  // namespace kotar
