// SPDX-License-Identifier: GPL-3.0-or-later
#include <windows.h>

#include <chrono>

#include "SystemFaults.h"

namespace kotar::test {

// Windows has no per-process file size or address space limit.
FileSizeLimit::FileSizeLimit(std::uint64_t) {}
FileSizeLimit::~FileSizeLimit() = default;
bool FileSizeLimit::Supported() {
    return false;
}

AddressSpaceLimit::AddressSpaceLimit(std::uint64_t) {}
AddressSpaceLimit::~AddressSpaceLimit() = default;
bool AddressSpaceLimit::Supported() {
    return false;
}

// Named pipes live outside the file system there.
bool MakeSpecialFile(const std::filesystem::path&) {
    return false;
}

std::uint64_t FileIdentity(const std::filesystem::path& path) {
    HANDLE file =
        ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = ::GetFileInformationByHandle(file, &info);
    ::CloseHandle(file);
    return ok ? (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow : 0;
}

bool SetLastWriteTime(const std::filesystem::path& path, std::filesystem::file_time_type time) {
    // FILETIME counts 100 ns from 1601; the system clock, from 1970.
    using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 10'000'000>>;
    constexpr std::int64_t kTicksFrom1601To1970 = 116'444'736'000'000'000;
    const std::int64_t since_1970 =
        std::chrono::duration_cast<Ticks>(std::chrono::file_clock::to_sys(time).time_since_epoch())
            .count();
    const auto ticks = static_cast<std::uint64_t>(since_1970 + kTicksFrom1601To1970);
    const FILETIME when{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    HANDLE file = ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = ::SetFileTime(file, nullptr, nullptr, &when);
    ::CloseHandle(file);
    return ok;
}

}  // namespace kotar::test
