// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

namespace kotar {

// Whole-folder file operations of the property store. Any error counts as aborted: the
// result is then false and the operation may have done part of its work.

// Copies everything in source_folder (files and folders, recursively) into the existing
// destination_folder. An empty source folder is a successful copy.
bool ShellCopy(const std::filesystem::path& source_folder,
               const std::filesystem::path& destination_folder);

// Removes the file or folder (with everything in it). A path that does not exist is an error.
bool ShellDelete(const std::filesystem::path& target);

// Removes everything in the folder and leaves the folder itself.
bool ShellDeleteContents(const std::filesystem::path& folder);

}  // namespace kotar
