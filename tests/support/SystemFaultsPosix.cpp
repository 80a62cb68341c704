// SPDX-License-Identifier: GPL-3.0-or-later
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "SystemFaults.h"

namespace kotar::test {
namespace {

// Sets the soft limit of a resource; returns the old one through *saved.
bool SetLimit(int resource, std::uint64_t value, std::uint64_t* saved) {
    rlimit limit{};
    if (::getrlimit(resource, &limit) != 0)
        return false;
    *saved = limit.rlim_cur;
    limit.rlim_cur = static_cast<rlim_t>(value);
    return ::setrlimit(resource, &limit) == 0;
}

void RestoreLimit(int resource, std::uint64_t saved) {
    rlimit limit{};
    if (::getrlimit(resource, &limit) == 0) {
        limit.rlim_cur = static_cast<rlim_t>(saved);
        ::setrlimit(resource, &limit);
    }
}

}  // namespace

// The write past the limit fails with EFBIG (also as root) once SIGXFSZ is ignored.
FileSizeLimit::FileSizeLimit(std::uint64_t max_bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    active_ = SetLimit(RLIMIT_FSIZE, max_bytes, &saved_);
}

FileSizeLimit::~FileSizeLimit() {
    if (active_)
        RestoreLimit(RLIMIT_FSIZE, saved_);
    std::signal(SIGXFSZ, SIG_DFL);
}

bool FileSizeLimit::Supported() {
    return true;
}

AddressSpaceLimit::AddressSpaceLimit(std::uint64_t max_bytes) {
    active_ = SetLimit(RLIMIT_AS, max_bytes, &saved_);
}

AddressSpaceLimit::~AddressSpaceLimit() {
    if (active_)
        RestoreLimit(RLIMIT_AS, saved_);
}

bool AddressSpaceLimit::Supported() {
    return true;
}

bool MakeSpecialFile(const std::filesystem::path& path) {
    return ::mkfifo(path.c_str(), 0600) == 0;
}

std::uint64_t FileIdentity(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return 0;
    return static_cast<std::uint64_t>(st.st_ino);
}

bool SetLastWriteTime(const std::filesystem::path& path, std::filesystem::file_time_type time) {
    std::error_code ec;
    std::filesystem::last_write_time(path, time, ec);
    return !ec;
}

}  // namespace kotar::test
