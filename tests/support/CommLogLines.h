// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "TempDir.h"
#include "common/Cp932.h"
#include "link/CommLog.h"

namespace kotar::test {

// The texts of the lines of folder/MEVAN_COM_N.LOG (UTF-8, timestamps removed). A line that
// lacks the timestamp or the CR LF ending comes back as "BAD LINE: " + the line.
inline std::vector<std::string> CommLogTexts(const std::filesystem::path& folder) {
    std::vector<std::string> texts;
    const std::filesystem::path file = folder / kCurrentLogName;
    if (!std::filesystem::exists(file))
        return texts;
    const std::string content = ReadText(file);
    static const std::regex stamp(R"(^\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}\.\d{3} )");
    std::size_t start = 0;
    while (start < content.size()) {
        const std::size_t end = content.find("\r\n", start);
        if (end == std::string::npos) {
            texts.push_back("BAD LINE: " + content.substr(start));
            break;
        }
        const std::string line = content.substr(start, end - start);
        if (std::regex_search(line, stamp)) {
            texts.push_back(Cp932ToUtf8(line.substr(24)));
        } else {
            texts.push_back("BAD LINE: " + line);
        }
        start = end + 2;
    }
    return texts;
}

}  // namespace kotar::test
