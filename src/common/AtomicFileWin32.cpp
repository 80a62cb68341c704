// SPDX-License-Identifier: GPL-3.0-or-later
// Windows backend of the atomic file replacement: a temporary file in the same folder, written
// through to the disk when asked, then renamed over the path with MoveFileExW, which with
// MOVEFILE_WRITE_THROUGH returns only once the rename is on the disk (no separate flush of the
// folder as on POSIX). (ReplaceFileW
// would keep more of the replaced file's metadata, but fails while another writer replaces the
// same file.)
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "common/AtomicFile.h"

namespace kotar {
namespace {

constexpr DWORD kMoveRetryMs = 2000;

// A temporary file beside path, created exclusively under a name of this process and this call;
// INVALID_HANDLE_VALUE when none can be made.
HANDLE CreateTemporary(const std::filesystem::path& path, bool durable,
                       std::filesystem::path& name) {
    static std::atomic<unsigned long> calls{0};
    std::filesystem::path folder = path.parent_path();
    if (folder.empty())
        folder = ".";
    const std::wstring stem =
        L"." + path.filename().wstring() + L"." + std::to_wstring(::GetCurrentProcessId()) + L".";
    const DWORD flags = FILE_ATTRIBUTE_NORMAL | (durable ? FILE_FLAG_WRITE_THROUGH : 0);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder / (stem + std::to_wstring(calls.fetch_add(1)));
        HANDLE file =
            ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, flags, nullptr);
        // An existing name was left by a process that died and had the same id.
        if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return INVALID_HANDLE_VALUE;
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

// Renames the temporary file over the path. While another program has the path open without
// sharing its deletion, or another writer is renaming over it at the same moment, the system
// refuses for a moment; the rename is tried again for up to about two seconds.
bool MoveOver(const std::filesystem::path& temporary, const std::filesystem::path& path,
              bool durable) {
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | (durable ? MOVEFILE_WRITE_THROUGH : 0);
    DWORD delay_ms = 1;
    for (DWORD waited_ms = 0;;
         waited_ms += delay_ms, delay_ms = std::min<DWORD>(delay_ms * 2, 64)) {
        if (::MoveFileExW(temporary.c_str(), path.c_str(), flags))
            return true;
        const DWORD error = ::GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) ||
            waited_ms >= kMoveRetryMs)
            return false;
        ::Sleep(delay_ms);
    }
}

}  // namespace

bool ReplaceFileWithBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                          bool durable) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    // A file the user made read-only is not replaced, as a direct write would fail on it.
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
        return false;
    std::filesystem::path temporary;
    HANDLE file = CreateTemporary(path, durable, temporary);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = WriteAll(file, bytes.data(), bytes.size()) && (!durable || ::FlushFileBuffers(file));
    ok = ::CloseHandle(file) && ok;
    if (ok && MoveOver(temporary, path, durable))
        return true;
    ::DeleteFileW(temporary.c_str());
    return false;
}

}  // namespace kotar
