// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <system_error>

#include "common/ScratchFolder.h"

namespace kotar::fuzz {
namespace {

// In memory where the system offers it (/dev/shm), else in the temporary folder.
std::optional<kotar::ScratchFolder> MakeScratchFolder() {
    std::optional<kotar::ScratchFolder> folder;
    std::error_code ec;
    if (const std::filesystem::path shm = "/dev/shm"; std::filesystem::is_directory(shm, ec))
        folder = kotar::ScratchFolder::Create(shm / "kotar-fuzz");
    if (!folder)
        folder =
            kotar::ScratchFolder::Create(std::filesystem::temp_directory_path(ec) / "kotar-fuzz");
    if (!folder) {
        std::fprintf(stderr, "kotar fuzz: no scratch folder could be made\n");
        std::abort();
    }
    return folder;
}

}  // namespace

const std::filesystem::path& ScratchFolder() {
    // Removed with its contents at exit.
    static const std::optional<kotar::ScratchFolder> folder = MakeScratchFolder();
    return folder->path();
}

std::filesystem::path WriteInput(std::string_view name, std::span<const std::uint8_t> bytes) {
    const std::filesystem::path path = ScratchFolder() / name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    Require(static_cast<bool>(out), "the input file could not be written");
    return path;
}

void Require(bool condition, const char* what) {
    if (condition)
        return;
    std::fprintf(stderr, "kotar fuzz: property broken: %s\n", what);
    std::abort();
}

}  // namespace kotar::fuzz
