#include <windows.h>

#include "common/FileLock.h"

namespace kotar {
namespace {

HANDLE ToHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

std::optional<FileLock> FileLock::Lock(const std::filesystem::path& path, bool wait) {
    // Folders open with backup semantics; files are made when missing. Other openers may read,
    // write and delete, as with flock.
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    const bool folder =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    HANDLE file = ::CreateFileW(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        folder ? OPEN_EXISTING : OPEN_ALWAYS,
        folder ? FILE_FLAG_BACKUP_SEMANTICS : FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    // A folder cannot carry a byte-range lock; its handle alone marks it (folders are locked
    // only where the file system already refuses names that differ in letter case).
    if (!folder) {
        OVERLAPPED whole{};
        const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
        if (!::LockFileEx(file, flags, 0, MAXDWORD, MAXDWORD, &whole)) {
            ::CloseHandle(file);
            return std::nullopt;
        }
    }
    return FileLock(reinterpret_cast<std::intptr_t>(file));
}

void FileLock::Release() {
    if (handle_ != -1)
        ::CloseHandle(ToHandle(handle_));  // closing the handle drops its lock
    handle_ = -1;
}

bool FileLock::StillAt(const std::filesystem::path& path) const {
    if (handle_ == -1)
        return false;
    BY_HANDLE_FILE_INFORMATION held{};
    if (!::GetFileInformationByHandle(ToHandle(handle_), &held) || held.nNumberOfLinks == 0)
        return false;
    HANDLE there =
        ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (there == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool same = ::GetFileInformationByHandle(there, &info) &&
                      info.dwVolumeSerialNumber == held.dwVolumeSerialNumber &&
                      info.nFileIndexHigh == held.nFileIndexHigh &&
                      info.nFileIndexLow == held.nFileIndexLow;
    ::CloseHandle(there);
    return same;
}

}  // namespace kotar
