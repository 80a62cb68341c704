#pragma once

#include <filesystem>
#include <string>

namespace kotar {

// Folders that the system gives the program.

// The folder of the running executable (empty when it cannot be found).
std::filesystem::path ExecutableFolder();

// The work folder used when the configured one cannot be entered: "C:\MEVAN\DATA" on Windows,
// $HOME/MEVAN/DATA elsewhere.
std::filesystem::path DefaultWorkFolder();

// True when the folder exists and can be entered.
bool CanEnterFolder(const std::filesystem::path& folder);

// The program's folder among the user's state files: $XDG_STATE_HOME/kotar (by default
// ~/.local/state/kotar); on Windows %LOCALAPPDATA%\KOTAR.
std::filesystem::path UserStateFolder();

// True when the program may make new files in the folder (and rename them there).
bool FolderTakesNewFiles(const std::filesystem::path& folder);

// A text that names the user running the program, the same in each of the user's processes:
// the numeric user id on POSIX, the user's security identifier ("S-1-5-...") on Windows.
std::string UserIdentity();

}  // namespace kotar
