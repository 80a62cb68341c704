// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/FileRead.h"

namespace kotar {

bool ReadFileOfExactSize(const std::filesystem::path& path, std::size_t size, std::uint8_t* out) {
    FileHandle file(OpenFile(path, "rb"));
    if (!file)
        return false;
    // One byte more than asked tells a longer file.
    const std::size_t got = std::fread(out, 1, size, file.get());
    return got == size && std::fgetc(file.get()) == EOF && !std::ferror(file.get());
}

}  // namespace kotar
