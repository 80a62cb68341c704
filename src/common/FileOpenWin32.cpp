// SPDX-License-Identifier: GPL-3.0-or-later
#include <string>

#include "common/FileRead.h"

namespace kotar {

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
    const std::wstring wide_mode(mode, mode + std::char_traits<char>::length(mode));
    return ::_wfopen(path.c_str(), wide_mode.c_str());
}

}  // namespace kotar
