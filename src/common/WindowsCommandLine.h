// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kotar {

// A Windows program gets one command line and splits it itself; these build a line that the
// splitting rules of the C runtime (and CommandLineToArgvW) give back argument for argument.
// The texts stay UTF-8: the rules concern ASCII characters only.

// One argument after the first: as it is when it holds no blank or quote, else quoted with the
// backslashes before a quote (and before the closing quote) doubled.
std::string QuoteWindowsArgument(std::string_view argument);

// The program followed by its arguments. The program's name is read up to its closing quote
// without escapes, so it is always quoted; a name with a quote in it (which no Windows path
// has) gives an empty line.
std::string WindowsCommandLine(std::string_view program, const std::vector<std::string>& arguments);

}  // namespace kotar
