// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/WorkFolderPath.h"

#include <filesystem>

namespace kotar {

const char* const kBadWorkFolderText =
    "作業フォルダの指定が間違っているか、\n/usr配下のパスを指定しています。";

bool IsAcceptableWorkFolderPath(const std::string& path) {
    if (path.size() <= 1 || path.front() != '/')
        return false;
    // "/usr/../home" is not below /usr, "//usr/lib" and "/usr/./lib" are.
    std::filesystem::path normal = std::filesystem::path(path).lexically_normal();
    auto it = normal.begin();
    if (it == normal.end() || *it != "/")
        return true;
    ++it;
    return it == normal.end() || *it != "usr";
}

}  // namespace kotar
