// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>

namespace kotar::test {

// Limits that make a file write or an allocation fail on purpose, for the whole process while
// the object lives. Not every system has them: Supported() tells, and a test without one
// skips.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t max_bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    static bool Supported();

private:
    std::uint64_t saved_ = 0;
    bool active_ = false;
};

class AddressSpaceLimit {
public:
    explicit AddressSpaceLimit(std::uint64_t max_bytes);
    ~AddressSpaceLimit();
    AddressSpaceLimit(const AddressSpaceLimit&) = delete;
    AddressSpaceLimit& operator=(const AddressSpaceLimit&) = delete;
    static bool Supported();

private:
    std::uint64_t saved_ = 0;
    bool active_ = false;
};

// Makes a special file (a named pipe) that no copy can take; false where the system has none.
bool MakeSpecialFile(const std::filesystem::path& path);

// A number that names the file itself (inode, file index): a file replaced by another has a
// new one.
std::uint64_t FileIdentity(const std::filesystem::path& path);

// Sets the modification time of a file or a folder; false when it could not. (The standard
// library's last_write_time cannot change a folder's on Windows.)
bool SetLastWriteTime(const std::filesystem::path& path, std::filesystem::file_time_type time);

}  // namespace kotar::test
