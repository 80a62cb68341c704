// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "common/ProfileFile.h"

namespace kotar {

// Sizes of the file system that holds a path, in bytes.
struct DiskSpace {
    std::uint64_t total_bytes = 0;
    std::uint64_t free_bytes = 0;       // free on the file system
    std::uint64_t available_bytes = 0;  // free for this user
};

// Where the free-space figures come from; tests replace it.
class FreeSpaceSource {
public:
    virtual ~FreeSpaceSource() = default;
    // The figures of the file system that holds path, or nothing when they cannot be had.
    virtual std::optional<DiskSpace> Query(const std::filesystem::path& path) = 0;
};

// The figures of std::filesystem::space.
class FilesystemSpaceSource : public FreeSpaceSource {
public:
    std::optional<DiskSpace> Query(const std::filesystem::path& path) override;
};

// Free space a new property leaves at least; below it the new-property button is disabled
// until the next reload (500 MiB).
inline constexpr std::uint64_t kNewPropertyMinFreeBytes = 524'288'000;

// The DISK rule: reads (and writes back) CONFIG/DISK as LoadDiskPercent does; true when the
// free bytes of the work folder's file system reach (total / 100) * percent, divided first.
// When the figures cannot be had the check passes: the creation then reports its own failure.
bool CheckDiskQuota(const std::filesystem::path& work_folder, ProfileFile& ini,
                    FreeSpaceSource& space);

// True when at least `bytes` are available to this user on the file system of folder (also
// when the figures cannot be had).
bool HasFreeSpace(const std::filesystem::path& folder, std::uint64_t bytes, FreeSpaceSource& space);

}  // namespace kotar
