// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "common/FileRead.h"

namespace kotar {
namespace {

// The open flags of a fopen mode; -1 for a mode fopen does not know.
int OpenFlags(std::string_view mode) {
    const bool update = mode.find('+') != std::string_view::npos;
    int flags = mode.find('x') != std::string_view::npos ? O_EXCL : 0;
    switch (mode.empty() ? '\0' : mode[0]) {
        case 'r':
            return flags | (update ? O_RDWR : O_RDONLY);
        case 'w':
            return flags | (update ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC;
        case 'a':
            return flags | (update ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND;
        default:
            return -1;
    }
}

}  // namespace

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
    const int flags = OpenFlags(mode);
    if (flags < 0) {
        errno = EINVAL;
        return nullptr;
    }
    // Without O_NONBLOCK, opening a pipe would wait for its other end, possibly for ever.
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, mode);
    if (file == nullptr)
        ::close(fd);
    return file;
}

}  // namespace kotar
