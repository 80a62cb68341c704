#include <windows.h>

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

}  // namespace kotar::test
