#include "store/DiskSpace.h"

#include <system_error>

#include "config/Configuration.h"

namespace kotar {

std::optional<DiskSpace> FilesystemSpaceSource::Query(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::space_info info = std::filesystem::space(path, ec);
    if (ec)
        return std::nullopt;
    return DiskSpace{info.capacity, info.free, info.available};
}

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
