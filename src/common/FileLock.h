// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace kotar {

// Whose file a lock may be.
enum class LockOwner {
    // A lock that every user of a shared folder honours (MEVAN.INI's, the work folder's): a
    // file that another user made is taken as it is.
    Anyone,
    // A lock of this user alone (the running copy's, a scratch folder's owner): a file of
    // another user is refused, as a stranger could otherwise hold it for good.
    User,
};

// Why a lock was not had.
enum class LockFailure {
    None,
    Taken,            // another handle holds it
    CannotOpen,       // the path can be neither opened nor made
    NotARegularFile,  // a link, a pipe, a device or the like stands at the path
    OtherOwner,       // LockOwner::User, and the file belongs to another user
};

// An exclusive advisory lock on a file (made when missing) or on a folder, held while the object
// lives. It belongs to this object's own open handle: another FileLock on the same path waits or
// fails also within the same process, and the system drops the lock when the process ends, so
// a copy that died never leaves it taken.
// The file is opened without following a link and without waiting for a writer (a pipe planted
// under the lock's name can neither hang nor fool the program); only a regular file, or a
// folder, is locked. A link is followed only to a folder, and only for LockOwner::Anyone (a
// work folder may be reached through one). A new lock file is readable by everybody for
// LockOwner::Anyone, so that other users can take it too, and by its owner alone otherwise.
class FileLock {
public:
    // Waits until the lock is ours. nullopt when the path cannot be locked (failure, if given,
    // says why).
    static std::optional<FileLock> Acquire(const std::filesystem::path& path,
                                           LockOwner owner = LockOwner::Anyone,
                                           LockFailure* failure = nullptr);
    // Takes the lock only when nobody holds it; nullopt when it is taken or cannot be had.
    static std::optional<FileLock> TryAcquire(const std::filesystem::path& path,
                                              LockOwner owner = LockOwner::Anyone,
                                              LockFailure* failure = nullptr);

    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    // True while the locked file is still the one at path (not removed or replaced since).
    bool StillAt(const std::filesystem::path& path) const;

private:
    explicit FileLock(std::intptr_t handle) : handle_(handle) {}
    // The platform's part (one source per platform): open or make the path, check what it is,
    // lock it.
    static std::optional<FileLock> Lock(const std::filesystem::path& path, bool wait,
                                        LockOwner owner, LockFailure& failure);
    void Release();

    std::intptr_t handle_ = -1;  // the open file or folder; -1 when moved from
};

}  // namespace kotar
