#pragma once

#include <filesystem>

namespace kotar {

// Folders of the communication log that the operating system decides: one source per system.

// The program's folder among the user's state files: $XDG_STATE_HOME/kotar (by default
// ~/.local/state/kotar); on Windows %LOCALAPPDATA%\KOTAR.
std::filesystem::path UserStateFolder();

// True when the program may make new files in the folder (and rename them there).
bool FolderTakesNewFiles(const std::filesystem::path& folder);

}  // namespace kotar
