#include "store/ShellFileOperations.h"

#include <system_error>
#include <vector>

namespace kotar {

bool ShellCopy(const std::filesystem::path& source_folder,
               const std::filesystem::path& destination_folder) {
    std::error_code ec;
    if (!std::filesystem::is_directory(source_folder, ec) ||
        !std::filesystem::is_directory(destination_folder, ec)) {
        return false;
    }
    std::filesystem::copy(
        source_folder, destination_folder,
        std::filesystem::copy_options::recursive | std::filesystem::copy_options::copy_symlinks,
        ec);
    return !ec;
}

bool ShellDelete(const std::filesystem::path& target) {
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(target, ec)))
        return false;
    std::filesystem::remove_all(target, ec);
    return !ec;
}

bool ShellDeleteContents(const std::filesystem::path& folder) {
    std::error_code ec;
    std::vector<std::filesystem::path> entries;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        entries.push_back(it->path());
    }
    if (ec)
        return false;
    bool ok = true;
    for (const auto& entry : entries) {
        std::filesystem::remove_all(entry, ec);
        if (ec)
            ok = false;
    }
    return ok;
}

}  // namespace kotar
