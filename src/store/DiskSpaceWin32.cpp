// SPDX-License-Identifier: GPL-3.0-or-later
#include <windows.h>

#include "store/DiskSpace.h"

namespace kotar {

// The figures of the volume that holds the folder; a folder that is not there has none (the
// system would answer for the nearest folder that is).
std::optional<DiskSpace> FilesystemSpaceSource::Query(const std::filesystem::path& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return std::nullopt;
    ULARGE_INTEGER available{};
    ULARGE_INTEGER total{};
    ULARGE_INTEGER free{};
    if (!::GetDiskFreeSpaceExW(path.c_str(), &available, &total, &free))
        return std::nullopt;
    return DiskSpace{total.QuadPart, free.QuadPart, available.QuadPart};
}

}  // namespace kotar
