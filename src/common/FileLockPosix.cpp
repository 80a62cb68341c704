#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/FileLock.h"

namespace kotar {
namespace {

// An existing file or folder opens read-only (enough for flock); a missing one is made.
int OpenForLock(const std::filesystem::path& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0 && errno == ENOENT)
        fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    return fd;
}

}  // namespace

std::optional<FileLock> FileLock::Lock(const std::filesystem::path& path, bool wait) {
    const int fd = OpenForLock(path);
    if (fd < 0)
        return std::nullopt;
    int rc;
    do {
        rc = ::flock(fd, wait ? LOCK_EX : LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ::close(fd);
        return std::nullopt;
    }
    return FileLock(fd);
}

void FileLock::Release() {
    if (handle_ >= 0)
        ::close(static_cast<int>(handle_));  // closing the only handle drops the lock
    handle_ = -1;
}

bool FileLock::StillAt(const std::filesystem::path& path) const {
    struct stat held {};
    struct stat there {};
    return handle_ >= 0 && ::fstat(static_cast<int>(handle_), &held) == 0 && held.st_nlink > 0 &&
           ::stat(path.c_str(), &there) == 0 && there.st_dev == held.st_dev &&
           there.st_ino == held.st_ino;
}

}  // namespace kotar
