// SPDX-License-Identifier: GPL-3.0-or-later
#include <windows.h>

#include "common/FileLock.h"

namespace kotar {
namespace {

constexpr DWORD kFolderRetryMs = 5;

HANDLE ToHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

std::optional<FileLock> FileLock::Lock(const std::filesystem::path& path, bool wait,
                                       LockOwner owner, LockFailure& failure) {
    // The per-user locks live in the user's own folders here, so the owner is not checked; a
    // link (reparse point) is still never followed to a file.
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    const bool link = exists && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    const bool folder = exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (link && (!folder || owner == LockOwner::User)) {
        failure = LockFailure::NotARegularFile;
        return std::nullopt;
    }
    if (folder) {
        // A folder cannot carry a byte-range lock: its lock is a handle with the folder's write
        // access (adding files) that shares no write access, which every other lock's handle
        // conflicts with, while listing the folder and making, renaming and removing what is in
        // it go on as before.
        for (;;) {
            HANDLE handle = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_DATA,
                                          FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
            if (handle != INVALID_HANDLE_VALUE)
                return FileLock(reinterpret_cast<std::intptr_t>(handle));
            const bool taken = ::GetLastError() == ERROR_SHARING_VIOLATION;
            if (!wait || !taken) {
                failure = taken ? LockFailure::Taken : LockFailure::CannotOpen;
                return std::nullopt;
            }
            ::Sleep(kFolderRetryMs);  // no system wait exists for a share conflict
        }
    }
    // Files are made when missing; other openers may read, write and delete, as with flock.
    HANDLE file = ::CreateFileW(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        failure = LockFailure::CannotOpen;
        return std::nullopt;
    }
    // What was opened, not what the name showed a moment before: a file on a disk.
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        ::CloseHandle(file);
        failure = LockFailure::NotARegularFile;
        return std::nullopt;
    }
    OVERLAPPED whole{};
    const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
    if (!::LockFileEx(file, flags, 0, MAXDWORD, MAXDWORD, &whole)) {
        failure =
            ::GetLastError() == ERROR_LOCK_VIOLATION ? LockFailure::Taken : LockFailure::CannotOpen;
        ::CloseHandle(file);
        return std::nullopt;
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
    FILE_STANDARD_INFO standard{};
    if (!::GetFileInformationByHandle(ToHandle(handle_), &held) || held.nNumberOfLinks == 0 ||
        (::GetFileInformationByHandleEx(ToHandle(handle_), FileStandardInfo, &standard,
                                        sizeof standard) &&
         standard.DeletePending))
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
