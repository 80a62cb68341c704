#include "common/FileLock.h"

namespace kotar {

std::optional<FileLock> FileLock::Acquire(const std::filesystem::path& path) {
    return Lock(path, true);
}

std::optional<FileLock> FileLock::TryAcquire(const std::filesystem::path& path) {
    return Lock(path, false);
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
