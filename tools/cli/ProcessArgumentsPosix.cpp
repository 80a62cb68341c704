// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProcessArguments.h"

namespace kotar::cli {

std::vector<std::string> ProcessArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

void PrepareConsole() {}

}  // namespace kotar::cli
