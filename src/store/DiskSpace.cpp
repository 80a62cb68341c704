// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/DiskSpace.h"

#include <system_error>

#include "config/Configuration.h"

namespace kotar {

bool CheckDiskQuota(const std::filesystem::path& work_folder, ProfileFile& ini,
                    FreeSpaceSource& space) {
    std::optional<DiskSpace> figures = space.Query(work_folder);
    std::uint64_t percent = LoadDiskPercent(ini);
    if (!figures)
        return true;
    std::uint64_t threshold = figures->total_bytes / 100 * percent;
    return figures->free_bytes >= threshold;
}

bool HasFreeSpace(const std::filesystem::path& folder, std::uint64_t bytes,
                  FreeSpaceSource& space) {
    std::optional<DiskSpace> figures = space.Query(folder);
    return !figures || figures->available_bytes >= bytes;
}

}  // namespace kotar
