// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/ShellFileOperations.h"

#include <system_error>
#include <vector>

namespace kotar {
namespace {

// Copies the entries of one folder into another, folders recursively, symbolic links as links;
// a file already at the destination or an entry of another kind (a pipe, a device) fails the
// copy. Written out rather than std::filesystem::copy, which refuses an existing destination
// folder on Windows.
bool CopyEntries(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code ec;
    for (std::filesystem::directory_iterator it(from, ec), end; it != end; it.increment(ec)) {
        if (ec)
            return false;
        const std::filesystem::path target = to / it->path().filename();
        const std::filesystem::file_status status = it->symlink_status(ec);
        if (ec)
            return false;
        if (std::filesystem::is_symlink(status)) {
            std::filesystem::copy_symlink(it->path(), target, ec);
        } else if (std::filesystem::is_directory(status)) {
            std::filesystem::create_directory(target, it->path(), ec);
            if (ec || !CopyEntries(it->path(), target))
                return false;
        } else if (std::filesystem::is_regular_file(status)) {
            std::filesystem::copy_file(it->path(), target, ec);
        } else {
            return false;
        }
        if (ec)
            return false;
    }
    return !ec;
}

}  // namespace

bool ShellCopy(const std::filesystem::path& source_folder,
               const std::filesystem::path& destination_folder) {
    std::error_code ec;
    if (!std::filesystem::is_directory(source_folder, ec) ||
        !std::filesystem::is_directory(destination_folder, ec)) {
        return false;
    }
    return CopyEntries(source_folder, destination_folder);
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
