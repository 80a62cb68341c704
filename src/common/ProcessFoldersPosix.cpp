#include <pwd.h>
#include <unistd.h>

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

bool FolderTakesNewFiles(const std::filesystem::path& folder) {
    std::error_code ec;
    // access() asks the kernel, so a read-only file system says no also to root.
    return !folder.empty() && std::filesystem::is_directory(folder, ec) &&
           ::access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace kotar
