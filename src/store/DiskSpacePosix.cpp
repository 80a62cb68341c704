// SPDX-License-Identifier: GPL-3.0-or-later
#include <system_error>

#include "store/DiskSpace.h"

namespace kotar {

std::optional<DiskSpace> FilesystemSpaceSource::Query(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::space_info info = std::filesystem::space(path, ec);
    if (ec)
        return std::nullopt;
    return DiskSpace{info.capacity, info.free, info.available};
}

}  // namespace kotar
