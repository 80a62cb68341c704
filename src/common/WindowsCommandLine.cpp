// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/WindowsCommandLine.h"

namespace kotar {

std::string QuoteWindowsArgument(std::string_view argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string_view::npos)
        return std::string(argument);
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes are literal unless a quote follows them.
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    out += '"';
    return out;
}

std::string WindowsCommandLine(std::string_view program,
                               const std::vector<std::string>& arguments) {
    if (program.empty() || program.find('"') != std::string_view::npos)
        return {};
    std::string line = "\"" + std::string(program) + "\"";
    for (const std::string& argument : arguments)
        line += " " + QuoteWindowsArgument(argument);
    return line;
}

}  // namespace kotar
