// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/FileLock.h"

namespace kotar {

std::optional<FileLock> FileLock::Acquire(const std::filesystem::path& path, LockOwner owner,
                                          LockFailure* failure) {
    LockFailure why = LockFailure::None;
    std::optional<FileLock> lock = Lock(path, true, owner, why);
    if (failure != nullptr)
        *failure = lock ? LockFailure::None : why;
    return lock;
}

std::optional<FileLock> FileLock::TryAcquire(const std::filesystem::path& path, LockOwner owner,
                                             LockFailure* failure) {
    LockFailure why = LockFailure::None;
    std::optional<FileLock> lock = Lock(path, false, owner, why);
    if (failure != nullptr)
        *failure = lock ? LockFailure::None : why;
    return lock;
}

FileLock::FileLock(FileLock&& other) noexcept : handle_(other.handle_) {
    other.handle_ = -1;
}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        Release();
        handle_ = other.handle_;
        other.handle_ = -1;
    }
    return *this;
}

FileLock::~FileLock() {
    Release();
}

}  // namespace kotar
