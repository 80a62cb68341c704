// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <optional>

#include "common/FileLock.h"

namespace kotar {

// A private folder for the intermediate files of one run (a build, a play), so that copies of
// the program working in the same place at once never see each other's files. It is made under
// a parent folder with a fresh name, "kotar-" and six random characters, created exclusively as
// mkdtemp does, and is removed with its contents when the object goes. While it lives, its
// owner file ".owner" inside it is locked; a folder whose owner lock nobody holds belongs to a
// run that died and is removed by the next Create under the same parent. The owner file is a
// lock of this user alone (see LockOwner::User): another user's scratch folder is never
// removed, and a link with a scratch folder's name is never followed.
class ScratchFolder {
public:
    // Removes the abandoned scratch folders under parent (made when missing; its own parent
    // must exist), then makes a new one. nullopt when the folder cannot be made.
    static std::optional<ScratchFolder> Create(const std::filesystem::path& parent);
    // Removes every scratch folder under parent whose owner lock is free; the number removed.
    static int RemoveAbandoned(const std::filesystem::path& parent);

    ScratchFolder(ScratchFolder&& other) noexcept;
    ScratchFolder& operator=(ScratchFolder&& other) noexcept;
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder();

    const std::filesystem::path& path() const { return path_; }

private:
    ScratchFolder(std::filesystem::path path, FileLock owner)
        : path_(std::move(path)), owner_(std::move(owner)) {}
    void Remove();

    std::filesystem::path path_;  // empty when moved from
    std::optional<FileLock> owner_;
};

}  // namespace kotar
