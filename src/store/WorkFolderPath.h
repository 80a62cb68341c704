#pragma once

#include <string>

namespace kotar {

// Caption and text of the box that refuses a work folder path.
inline constexpr const char* kBadWorkFolderCaption = "作業フォルダパス不正";
inline constexpr const char* kBadWorkFolderText =
    "作業フォルダの指定が間違っているか、\n/usr配下のパスを指定しています。";

// Text of the box that refuses a work folder path holding a line break (CR or LF), which
// MEVAN.INI cannot store (see ProfileFile::HasLineBreak); shown with kBadWorkFolderCaption.
inline constexpr const char* kLineBreakWorkFolderText =
    "作業フォルダのパスに改行文字（CR、LF）は使えません。";

// A work folder must be an absolute path ("/" first, more than one character) that is neither
// "/usr" nor below it (system software lives there, as under "C:\Program Files").
bool IsAcceptableWorkFolderPath(const std::string& path);

}  // namespace kotar
