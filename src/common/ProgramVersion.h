// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace kotar {

// What every program of the package prints for --version: its name and the version of the
// build on the first line (the line the manual pages and the package tools read), then the
// copyright and licence notice.
std::string VersionNotice(std::string_view program);

}  // namespace kotar
