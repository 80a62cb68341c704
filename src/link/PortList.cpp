// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/PortList.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "common/Utf8Path.h"

namespace kotar {

std::string DevicePathForPort(int port_number, const ProfileFile* ini) {
    if (ini != nullptr) {
        std::string mapped = ini->GetString("PORTS", "COM" + std::to_string(port_number), "");
        if (!mapped.empty())
            return mapped;
    }
    return NativeDevicePath(port_number);
}

std::vector<PortEntry> WithPortsSection(std::vector<PortEntry> found, const ProfileFile* ini) {
    std::vector<PortEntry> list;
    for (PortEntry& e : found) {
        // A PORTS entry for this number takes the number over.
        if (ini == nullptr || ini->GetString("PORTS", "COM" + std::to_string(e.number), "").empty())
            list.push_back(std::move(e));
    }
    if (ini != nullptr) {
        std::error_code ec;
        for (const std::string& key : ini->GetKeys("PORTS")) {
            if (key.size() <= 3)
                continue;
            std::string upper = key;
            std::transform(upper.begin(), upper.end(), upper.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
            if (upper.rfind("COM", 0) != 0)
                continue;
            const std::string digits = upper.substr(3);
            if (!std::all_of(digits.begin(), digits.end(),
                             [](char c) { return c >= '0' && c <= '9'; }) ||
                digits.size() > 6) {
                continue;
            }
            const int number = std::stoi(digits);
            if (number <= 0)
                continue;
            const std::string path = ini->GetString("PORTS", key, "");
            if (path.empty() || !std::filesystem::exists(PathFromUtf8(path), ec))
                continue;
            const std::string base = PathToUtf8(PathFromUtf8(path).filename());
            list.push_back(PortEntry{number, base + " (COM" + std::to_string(number) + ")", path});
        }
    }
    std::stable_sort(list.begin(), list.end(),
                     [](const PortEntry& a, const PortEntry& b) { return a.number < b.number; });
    return list;
}

int PortNumberOfFriendlyName(std::string_view name) {
    const std::size_t at = name.rfind("COM");
    if (at == std::string_view::npos)
        return 0;
    std::string_view rest = name.substr(at + 3);
    const std::size_t close = rest.find(')');
    if (close != std::string_view::npos)
        rest = rest.substr(0, close);
    // Read like atoi: leading decimal digits.
    int number = 0;
    bool any = false;
    for (char c : rest) {
        if (c < '0' || c > '9')
            break;
        any = true;
        number = number * 10 + (c - '0');
        if (number > 1000000)
            break;
    }
    return any ? number : 0;
}

}  // namespace kotar
