// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace kotar {

// Caption and text of the box that refuses a work folder path; the text names the system's
// folder of installed software.
inline constexpr const char* kBadWorkFolderCaption = "作業フォルダパス不正";
extern const char* const kBadWorkFolderText;

// Text of the box that refuses a work folder path holding a line break (CR or LF), which
// MEVAN.INI cannot store (see ProfileFile::HasLineBreak); shown with kBadWorkFolderCaption.
inline constexpr const char* kLineBreakWorkFolderText =
    "作業フォルダのパスに改行文字（CR、LF）は使えません。";

// The path rule of the work folder, one per system. Windows: a drive letter, ":" and "\"
// first, and not containing "C:\Program Files" (case-sensitive). Elsewhere: an absolute path
// ("/" first, more than one character) that is neither "/usr" nor below it (system software
// lives there, as under "C:\Program Files").
bool IsAcceptableWorkFolderPath(const std::string& path);

}  // namespace kotar
