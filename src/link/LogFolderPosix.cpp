#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "link/LogFolder.h"

namespace kotar {
namespace {

// An absolute path from the environment; a relative one is not to be used.
std::filesystem::path AbsoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value != '/')
        return {};
    return value;
}

std::filesystem::path HomeFolder() {
    if (auto home = AbsoluteFromEnvironment("HOME"); !home.empty())
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr)
        return pw->pw_dir;
    return "/";
}

}  // namespace

std::filesystem::path UserStateFolder() {
    std::filesystem::path base = AbsoluteFromEnvironment("XDG_STATE_HOME");
    if (base.empty())
        base = HomeFolder() / ".local" / "state";
    return base / "kotar";
}

bool FolderTakesNewFiles(const std::filesystem::path& folder) {
    std::error_code ec;
    // access() asks the kernel, so a read-only file system says no also to root.
    return !folder.empty() && std::filesystem::is_directory(folder, ec) &&
           ::access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace kotar
