#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/ProfileFile.h"

namespace kotar {

// Serial ports by COM number. A COM<n> key in section PORTS of the configuration file names
// the device for port n; otherwise COM1-32 are ttyS0-31, COM33-64 ttyUSB0-31 and COM65-96
// ttyACM0-31.

// The device path for a port number: the PORTS entry when one is given, else the built-in
// ranges; empty when the number is outside them.
std::string DevicePathForPort(int port_number, const ProfileFile* ini);
// The built-in ranges only; 0 for a device name outside them ("ttyUSB2" gives 35).
int PortNumberOfDeviceName(std::string_view device_name);

struct PortEntry {
    int number = 0;
    std::string friendly_name;  // "<product or driver> (COMn)"
    std::string device_path;
};

// The present ports: /sys/class/tty entries with a device behind them (ttyS ports whose UART
// type is unknown are absent) and the PORTS entries whose device exists, in port order.
std::vector<PortEntry> ListPorts(const ProfileFile* ini,
                                 const std::filesystem::path& sys_class_tty = "/sys/class/tty",
                                 const std::filesystem::path& dev = "/dev");

// The number after the last "COM" (upper case) of a friendly name, up to the first ")" after
// it; 0 without "COM" or without digits.
int PortNumberOfFriendlyName(std::string_view friendly_name);

}  // namespace kotar
