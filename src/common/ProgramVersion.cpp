// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ProgramVersion.h"

namespace kotar {
namespace {

constexpr std::string_view kNotice =
    "Copyright (C) 2026 KOTAR developers\n"
    "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

}  // namespace

std::string VersionNotice(std::string_view program) {
    return std::string(program) + " " + KOTAR_VERSION_TEXT + "\n" + std::string(kNotice);
}

}  // namespace kotar
