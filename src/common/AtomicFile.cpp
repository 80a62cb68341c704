#include "common/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace kotar {
namespace {

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Permissions a newly created file would get: 0666 less the process's umask.
mode_t DefaultFileMode() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) folder = ".";
    // A file the user made read-only (no write permission bit) is not replaced, as a direct
    // write would fail on it; the mode bits are checked because access() lets root write.
    struct stat current {};
    if (::stat(path.c_str(), &current) == 0 &&
        ((current.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
         ::access(path.c_str(), W_OK) != 0)) {
        return false;
    }
    std::string pattern = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        return false;
    }
    struct stat existing {};
    mode_t mode = ::stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777)
                                                        : DefaultFileMode();
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes.data(), bytes.size()) &&
              ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(pattern.c_str(), path.c_str()) == 0) {
        return true;
    }
    ::unlink(pattern.c_str());
    return false;
}

}  // namespace kotar
