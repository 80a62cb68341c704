#include "link/PortList.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <system_error>

namespace kotar {
namespace {

struct Range {
    const char* prefix;
    int first_port;
};
constexpr Range kRanges[] = {{"ttyS", 1}, {"ttyUSB", 33}, {"ttyACM", 65}};
constexpr int kPortsPerRange = 32;

std::string ReadFirstLine(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) {
        line.pop_back();
    }
    return line;
}

// A readable name for the device behind a tty: the USB product (on the USB device, one or two
// levels above the interface), else the name Windows gives a built-in port.
std::string DescribeDevice(const std::filesystem::path& tty_entry) {
    std::error_code ec;
    const std::filesystem::path device = std::filesystem::canonical(tty_entry / "device", ec);
    if (!ec) {
        for (std::filesystem::path p = device; p.has_relative_path() && p != p.root_path();
             p = p.parent_path()) {
            if (std::filesystem::exists(p / "product", ec)) {
                const std::string product = ReadFirstLine(p / "product");
                if (!product.empty())
                    return product;
            }
            if (p.filename().string().rfind("usb", 0) == 0)
                break;
        }
    }
    return "Communications Port";
}

}  // namespace

int PortNumberOfDeviceName(std::string_view name) {
    for (const Range& r : kRanges) {
        const std::string_view prefix = r.prefix;
        if (name.substr(0, prefix.size()) != prefix)
            continue;
        const std::string_view digits = name.substr(prefix.size());
        if (digits.empty() || digits.size() > 2 ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return 0;
        const int index = std::stoi(std::string(digits));
        if (index >= kPortsPerRange)
            return 0;
        // "ttyS01" is not a device name the kernel uses.
        if (digits.size() == 2 && digits[0] == '0')
            return 0;
        return r.first_port + index;
    }
    return 0;
}

std::string DevicePathForPort(int port_number, const ProfileFile* ini) {
    if (ini != nullptr) {
        std::string mapped = ini->GetString("PORTS", "COM" + std::to_string(port_number), "");
        if (!mapped.empty())
            return mapped;
    }
    for (const Range& r : kRanges) {
        if (port_number >= r.first_port && port_number < r.first_port + kPortsPerRange) {
            return "/dev/" + std::string(r.prefix) + std::to_string(port_number - r.first_port);
        }
    }
    return {};
}

std::vector<PortEntry> ListPorts(const ProfileFile* ini, const std::filesystem::path& sys_class_tty,
                                 const std::filesystem::path& dev) {
    std::map<int, std::vector<PortEntry>> by_number;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(sys_class_tty, ec)) {
        const std::string name = entry.path().filename().string();
        const int number = PortNumberOfDeviceName(name);
        if (number == 0)
            continue;
        if (!std::filesystem::exists(entry.path() / "device", ec))
            continue;
        // Legacy 8250 ports are registered whether or not a UART is there; type 0 is none.
        if (name.rfind("ttyS", 0) == 0 && std::filesystem::exists(entry.path() / "type", ec) &&
            ReadFirstLine(entry.path() / "type") == "0") {
            continue;
        }
        // A PORTS entry for this number takes the number over.
        if (ini != nullptr &&
            !ini->GetString("PORTS", "COM" + std::to_string(number), "").empty()) {
            continue;
        }
        by_number[number].push_back(
            PortEntry{number, DescribeDevice(entry.path()) + " (COM" + std::to_string(number) + ")",
                      (dev / name).string()});
    }
    if (ini != nullptr) {
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
            if (path.empty() || !std::filesystem::exists(path, ec))
                continue;
            const std::string base = std::filesystem::path(path).filename().string();
            by_number[number].push_back(
                PortEntry{number, base + " (COM" + std::to_string(number) + ")", path});
        }
    }
    std::vector<PortEntry> list;
    for (auto& [number, entries] : by_number) {
        for (PortEntry& e : entries)
            list.push_back(std::move(e));
    }
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
