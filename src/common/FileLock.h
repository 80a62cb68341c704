#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace kotar {

// An exclusive advisory lock on a file (made when missing) or on a folder, held while the object
// lives. It belongs to this object's own open handle: another FileLock on the same path waits or
// fails also within the same process, and the system drops the lock when the process ends, so
// a copy that died never leaves it taken.
class FileLock {
public:
    // Waits until the lock is ours. nullopt when the path can be neither opened nor created.
    static std::optional<FileLock> Acquire(const std::filesystem::path& path);
    // Takes the lock only when nobody holds it; nullopt when it is taken or cannot be opened.
    static std::optional<FileLock> TryAcquire(const std::filesystem::path& path);

    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    // True while the locked file is still the one at path (not removed or replaced since).
    bool StillAt(const std::filesystem::path& path) const;

private:
    explicit FileLock(std::intptr_t handle) : handle_(handle) {}
    // The platform's part (one source per platform): open or make the path, lock it.
    static std::optional<FileLock> Lock(const std::filesystem::path& path, bool wait);
    void Release();

    std::intptr_t handle_ = -1;  // the open file or folder; -1 when moved from
};

}  // namespace kotar
