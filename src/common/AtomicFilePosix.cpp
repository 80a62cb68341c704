// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/AtomicFile.h"
#include "common/AtomicFileCalls.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

namespace kotar {
namespace {

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// A temporary file beside path, created exclusively under a name of this process and this call;
// -1 when none can be made. The mode 0666 is narrowed by the umask as for any new file.
int CreateTemporary(const std::filesystem::path& folder, const std::filesystem::path& path,
                    std::string& name) {
    static std::atomic<unsigned long> calls{0};
    const std::string stem =
        "." + path.filename().string() + "." + std::to_string(::getpid()) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = (folder / (stem + std::to_string(calls.fetch_add(1)))).string();
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;  // EEXIST: left by a process that died and had the same id
    }
    return -1;
}

// Makes the folder's entries durable, the rename among them: until then a power cut can bring
// the replaced file back. A folder that cannot be opened for it (no read permission), or a file
// system that cannot flush folders, leaves it to the system.
bool FlushFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return true;
    const bool flushed = ReplacementCalls().flush(fd) == 0 || errno == EINVAL || errno == ENOTSUP;
    ::close(fd);
    return flushed;
}

}  // namespace

AtomicFileCalls& ReplacementCalls() {
    static AtomicFileCalls calls{::fsync, ::rename};
    return calls;
}

bool ReplaceFileWithBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                          bool durable) {
    std::filesystem::path folder = path.parent_path();
    if (folder.empty())
        folder = ".";
    // A file the user made read-only (no write permission bit) is not replaced, as a direct
    // write would fail on it; the mode bits are checked because access() lets root write.
    struct stat current {};
    if (::stat(path.c_str(), &current) == 0 &&
        ((current.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
         ::access(path.c_str(), W_OK) != 0)) {
        return false;
    }
    std::string temporary;
    int fd = CreateTemporary(folder, path, temporary);
    if (fd < 0) {
        return false;
    }
    // A replaced file keeps its permissions.
    struct stat existing {};
    const AtomicFileCalls& calls = ReplacementCalls();
    bool ok =
        (::stat(path.c_str(), &existing) != 0 || ::fchmod(fd, existing.st_mode & 07777) == 0) &&
        WriteAll(fd, bytes.data(), bytes.size()) && (!durable || calls.flush(fd) == 0);
    ok = (::close(fd) == 0) && ok;
    if (!ok || calls.rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    // The new bytes are in place; without the folder's flush the save is not yet safe.
    return !durable || FlushFolder(folder);
}

}  // namespace kotar
