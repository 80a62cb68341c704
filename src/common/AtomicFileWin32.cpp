// Windows backend of the atomic file replacement: a uniquely named temporary file in the same
// folder, written through to the disk, then put in place with ReplaceFileW (which keeps the
// replaced file's attributes and security) or, for a new file, MoveFileExW.
#include <windows.h>

#include <atomic>
#include <string>

#include "common/AtomicFile.h"

namespace kotar {
namespace {

std::filesystem::path TemporaryPath(const std::filesystem::path& path) {
    static std::atomic<unsigned> counter{0};
    std::filesystem::path folder = path.parent_path();
    if (folder.empty())
        folder = ".";
    const std::wstring name = L"." + path.filename().wstring() + L"." +
                              std::to_wstring(::GetCurrentProcessId()) + L"." +
                              std::to_wstring(counter.fetch_add(1)) + L".tmp";
    return folder / name;
}

bool WriteAll(HANDLE file, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!::WriteFile(file, data, chunk, &written, nullptr) || written == 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    // A file the user made read-only is not replaced, as a direct write would fail on it.
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
        return false;
    const std::filesystem::path temporary = TemporaryPath(path);
    HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = WriteAll(file, bytes.data(), bytes.size()) && ::FlushFileBuffers(file);
    ok = ::CloseHandle(file) && ok;
    if (ok) {
        if (exists && ::ReplaceFileW(path.c_str(), temporary.c_str(), nullptr,
                                     REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
            return true;
        // A new file, or a file system without ReplaceFileW: a rename over the old file.
        if (::MoveFileExW(temporary.c_str(), path.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
    }
    ::DeleteFileW(temporary.c_str());
    return false;
}

}  // namespace kotar
