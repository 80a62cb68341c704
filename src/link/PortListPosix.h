// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

#include "link/PortList.h"

namespace kotar {

// The ttyS, ttyUSB and ttyACM ranges only; 0 for a device name outside them ("ttyUSB2" gives
// 35).
int PortNumberOfDeviceName(std::string_view device_name);

// The present ports under sys_class_tty: entries with a device behind them (ttyS ports whose
// UART type is unknown are absent) named under dev, with the PORTS entries, in port order.
std::vector<PortEntry> ListPortsIn(const ProfileFile* ini,
                                   const std::filesystem::path& sys_class_tty,
                                   const std::filesystem::path& dev);

}  // namespace kotar
