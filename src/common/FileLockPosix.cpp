// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/FileLock.h"

namespace kotar {
namespace {

// Read-only is enough for flock. A pipe opens at once without a writer, a link not at all.
constexpr int kOpenFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW;

bool Lockable(mode_t mode) {
    return S_ISREG(mode) || S_ISDIR(mode);
}

// Opens an existing file or folder, or makes a missing file; -1 with the reason when what is
// there may not be locked.
int OpenForLock(const std::filesystem::path& path, LockOwner owner, LockFailure& failure) {
    // A special file is not even opened: opening a device has effects of its own.
    struct stat seen {};
    if (::lstat(path.c_str(), &seen) == 0 && !Lockable(seen.st_mode) && !S_ISLNK(seen.st_mode)) {
        failure = LockFailure::NotARegularFile;
        return -1;
    }
    int fd = ::open(path.c_str(), kOpenFlags);
    if (fd < 0 && errno == ENOENT) {
        const mode_t mode = owner == LockOwner::Anyone ? 0644 : 0600;
        fd = ::open(path.c_str(), kOpenFlags | O_CREAT, mode);
    }
    if (fd < 0 && errno == ELOOP && owner == LockOwner::Anyone)
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_DIRECTORY);  // a link to a folder
    if (fd < 0) {
        failure = errno == ELOOP || errno == ENOTDIR ? LockFailure::NotARegularFile
                                                     : LockFailure::CannotOpen;
        return -1;
    }
    // What was opened, not what the name showed a moment before.
    struct stat held {};
    if (::fstat(fd, &held) != 0 || !Lockable(held.st_mode)) {
        failure = LockFailure::NotARegularFile;
    } else if (owner == LockOwner::User && held.st_uid != ::geteuid()) {
        failure = LockFailure::OtherOwner;
    } else {
        return fd;
    }
    ::close(fd);
    return -1;
}

}  // namespace

std::optional<FileLock> FileLock::Lock(const std::filesystem::path& path, bool wait,
                                       LockOwner owner, LockFailure& failure) {
    const int fd = OpenForLock(path, owner, failure);
    if (fd < 0)
        return std::nullopt;
    int rc;
    do {
        rc = ::flock(fd, wait ? LOCK_EX : LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        failure = errno == EWOULDBLOCK ? LockFailure::Taken : LockFailure::CannotOpen;
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
