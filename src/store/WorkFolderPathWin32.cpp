// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/WorkFolderPath.h"

namespace kotar {

const char* const kBadWorkFolderText =
    "作業フォルダの指定が間違っているか、\nC:\\Program Files配下のパスを指定しています。";

bool IsAcceptableWorkFolderPath(const std::string& path) {
    if (path.size() <= 2 || path[1] != ':' || path[2] != '\\')
        return false;
    const char drive = path[0];
    if (!((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z')))
        return false;
    return path.find("C:\\Program Files") == std::string::npos;
}

}  // namespace kotar
