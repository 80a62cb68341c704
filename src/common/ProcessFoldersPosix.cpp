// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>

#include "common/ProcessFolders.h"

namespace kotar {
namespace {

// The home folder of the user's account entry.
std::string AccountHomeFolder() {
    if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr)
        return pw->pw_dir;
    return "/";
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return home;
    return AccountHomeFolder();
}

// An absolute path from the environment; a relative one is not to be used.
std::filesystem::path AbsoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value != '/')
        return {};
    return value;
}

// Checks the private folder through a handle of the folder itself, so that a link or another
// folder put under its name meanwhile is never changed or taken.
FolderProblem CheckPrivateFolder(const std::filesystem::path& folder, bool narrow) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno == ELOOP || errno == ENOTDIR ? FolderProblem::NotAFolder
                                                  : FolderProblem::CannotMake;
    struct stat st {};
    FolderProblem problem = FolderProblem::None;
    if (::fstat(fd, &st) != 0)
        problem = FolderProblem::CannotMake;
    else if (st.st_uid != ::geteuid())
        problem = FolderProblem::OtherOwner;
    else if ((st.st_mode & 077) != 0 && (!narrow || ::fchmod(fd, 0700) != 0))
        problem = FolderProblem::OpenToOthers;
    ::close(fd);
    return problem;
}

}  // namespace

std::filesystem::path ExecutableFolder() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
    return exe.parent_path();
}

std::filesystem::path DefaultWorkFolder() {
    return std::filesystem::path(HomeFolder()) / "MEVAN" / "DATA";
}

bool CanEnterFolder(const std::filesystem::path& folder) {
    std::error_code ec;
    return !folder.empty() && std::filesystem::is_directory(folder, ec) &&
           ::access(folder.c_str(), X_OK) == 0;
}

std::string UserIdentity() {
    return std::to_string(::getuid());
}

std::filesystem::path UserStateFolder() {
    std::filesystem::path base = AbsoluteFromEnvironment("XDG_STATE_HOME");
    if (base.empty()) {
        std::filesystem::path home = AbsoluteFromEnvironment("HOME");
        if (home.empty())
            home = AccountHomeFolder();
        base = home / ".local" / "state";
    }
    return base / "kotar";
}

PrivateFolder UserRuntimeFolder() {
    // The session's folder is the system's to set up: one that does not fit is passed over,
    // never changed.
    const std::filesystem::path runtime = AbsoluteFromEnvironment("XDG_RUNTIME_DIR");
    if (!runtime.empty() && CheckPrivateFolder(runtime, false) == FolderProblem::None)
        return {runtime, FolderProblem::None};
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec || base.empty())
        base = "/tmp";
    // In a folder that every user can write to, another user may have made this name first.
    const std::filesystem::path folder = base / ("kotar-" + std::to_string(::geteuid()));
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return {folder, FolderProblem::CannotMake};
    return {folder, CheckPrivateFolder(folder, true)};
}

std::string LocalServerAddress(const std::filesystem::path& folder, const std::string& name) {
    return (folder / name).string();
}

bool FolderTakesNewFiles(const std::filesystem::path& folder) {
    std::error_code ec;
    // access() asks the kernel, so a read-only file system says no also to root.
    return !folder.empty() && std::filesystem::is_directory(folder, ec) &&
           ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::filesystem::path SettingsFolder(const std::filesystem::path& start_directory) {
    // The menu entry starts the program in the home folder, which the user may write.
    return start_directory;
}

}  // namespace kotar
