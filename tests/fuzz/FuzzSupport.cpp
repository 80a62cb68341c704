#include "FuzzSupport.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <system_error>

namespace kotar::fuzz {
namespace {

std::filesystem::path MakeScratchFolder() {
    std::error_code ec;
    const std::filesystem::path shm = "/dev/shm";
    const std::filesystem::path base =
        std::filesystem::is_directory(shm, ec) && ::access(shm.c_str(), W_OK) == 0
            ? shm
            : std::filesystem::temp_directory_path();
    std::string pattern = (base / "kotar-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("kotar fuzz: mkdtemp");
        std::abort();
    }
    return pattern;
}

}  // namespace

const std::filesystem::path& ScratchFolder() {
    // Never destroyed, so that the removal at exit can still name it.
    static const std::filesystem::path* const folder = [] {
        auto* made = new std::filesystem::path(MakeScratchFolder());
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(ScratchFolder(), ec);
        });
        return made;
    }();
    return *folder;
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
