// SPDX-License-Identifier: GPL-3.0-or-later
// POSIX side of the port list: COM numbers map to ttyS, ttyUSB and ttyACM devices, and the
// present ports are read from /sys/class/tty.
#include <algorithm>
#include <fstream>
#include <system_error>

#include "link/PortList.h"
#include "link/PortListPosix.h"

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

std::string NativeDevicePath(int port_number) {
    for (const Range& r : kRanges) {
        if (port_number >= r.first_port && port_number < r.first_port + kPortsPerRange) {
            return "/dev/" + std::string(r.prefix) + std::to_string(port_number - r.first_port);
        }
    }
    return {};
}

std::vector<PortEntry> ListPorts(const ProfileFile* ini) {
    return ListPortsIn(ini, "/sys/class/tty", "/dev");
}

std::vector<PortEntry> ListPortsIn(const ProfileFile* ini,
                                   const std::filesystem::path& sys_class_tty,
                                   const std::filesystem::path& dev) {
    std::vector<PortEntry> found;
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
        found.push_back(
            PortEntry{number, DescribeDevice(entry.path()) + " (COM" + std::to_string(number) + ")",
                      (dev / name).string()});
    }
    return WithPortsSection(std::move(found), ini);
}

}  // namespace kotar
