// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace kotar::cli {

// The command-line arguments after the program name, as UTF-8 (on Windows from the wide
// command line: the narrow argv holds the system code page's idea of them).
std::vector<std::string> ProcessArguments(int argc, char** argv);

// Makes the console show the UTF-8 texts the program prints, and gives the console its own code
// page back when the process exits (Windows; nothing elsewhere).
void PrepareConsole();

}  // namespace kotar::cli
