#include "common/FileRead.h"

#include <fstream>

namespace kotar {

bool ReadFileOfExactSize(const std::filesystem::path& path, std::size_t size, std::uint8_t* out) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        return false;
    }
    const std::streamoff length = in.tellg();
    if (length < 0 || static_cast<std::uintmax_t>(length) != size) {
        return false;
    }
    in.seekg(0);
    return static_cast<bool>(
        in.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(size)));
}

}  // namespace kotar
