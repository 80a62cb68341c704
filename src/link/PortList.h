// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/ProfileFile.h"

namespace kotar {

// Serial ports by COM number. A COM<n> key in section PORTS of the configuration file names
// the device for port n; otherwise the system's own device for the number (on Windows
// "\\.\COMn"; elsewhere COM1-32 are ttyS0-31, COM33-64 ttyUSB0-31 and COM65-96 ttyACM0-31).

// The device path for a port number: the PORTS entry when one is given, else the system's
// device; empty when the system has none for the number.
std::string DevicePathForPort(int port_number, const ProfileFile* ini);
// The system's device for a port number; empty when it has none.
std::string NativeDevicePath(int port_number);

struct PortEntry {
    int number = 0;
    std::string friendly_name;  // "<product or driver> (COMn)"
    std::string device_path;
};

// The present ports of the system and the PORTS entries whose device exists, in port order.
std::vector<PortEntry> ListPorts(const ProfileFile* ini);

// The system's ports in found, less those whose number has a PORTS entry, plus the PORTS
// entries whose device exists, in port order.
std::vector<PortEntry> WithPortsSection(std::vector<PortEntry> found, const ProfileFile* ini);

// The number after the last "COM" (upper case) of a friendly name, up to the first ")" after
// it; 0 without "COM" or without digits.
int PortNumberOfFriendlyName(std::string_view friendly_name);

}  // namespace kotar
