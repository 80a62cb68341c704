// SPDX-License-Identifier: GPL-3.0-or-later
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

// The folder that holds MEVAN.INI for a program started in `start_directory`: that folder
// itself, except on Windows when it lies in the system's program folders (where the installer
// puts the program and starts it from its Start-menu entry) or takes no new files: then the
// user's state folder, %LOCALAPPDATA%\KOTAR, made when missing.
std::filesystem::path SettingsFolder(const std::filesystem::path& start_directory);

// Why the user's private folder cannot be used.
enum class FolderProblem {
    None,
    CannotMake,    // missing and not made, or not opened
    NotAFolder,    // a file or a link stands under its name
    OtherOwner,    // it belongs to another user
    OpenToOthers,  // others may enter it, and its access could not be narrowed
};

struct PrivateFolder {
    std::filesystem::path path;  // the folder (the one that failed, when problem is not None)
    FolderProblem problem = FolderProblem::None;
};

// The user's private folder for what a running copy keeps for the user's other copies to find
// (the single-instance lock and its socket), where no other user can plant a file: on POSIX
// $XDG_RUNTIME_DIR when it is an absolute path to a folder (no link) of the user that nobody
// else may enter; else "kotar-<user id>" in the temporary folder ($TMPDIR, else /tmp), made with
// mode 0700 when missing, used only when it is a folder (no link) of the user, and closed to
// others. On Windows the user's own temporary folder.
PrivateFolder UserRuntimeFolder();

// The address of a local server named `name` in `folder`: the socket's path on POSIX; on
// Windows the name alone (named pipes have a namespace of their own; the name carries the
// user).
std::string LocalServerAddress(const std::filesystem::path& folder, const std::string& name);

// A text that names the user running the program, the same in each of the user's processes:
// the numeric user id on POSIX, the user's security identifier ("S-1-5-...") on Windows.
std::string UserIdentity();

}  // namespace kotar
