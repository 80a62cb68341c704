// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "TempDir.h"
#include "link/PortList.h"

namespace kotar {
namespace {

using test::TempDir;
using test::WriteText;

TEST(PortListWin32, NumbersAreTheSystemsOwnComDevices) {
    EXPECT_EQ(DevicePathForPort(1, nullptr), "\\\\.\\COM1");
    EXPECT_EQ(DevicePathForPort(12, nullptr), "\\\\.\\COM12");
    EXPECT_EQ(DevicePathForPort(256, nullptr), "\\\\.\\COM256");
    EXPECT_EQ(DevicePathForPort(0, nullptr), "");
    EXPECT_EQ(DevicePathForPort(-3, nullptr), "");
}

TEST(PortListWin32, PortsSectionStillOverrides) {
    TempDir dir;
    WriteText(dir / "MEVAN.INI", "[PORTS]\r\nCOM3=\\\\.\\COM9\r\n");
    ProfileFile ini(dir / "MEVAN.INI");
    EXPECT_EQ(DevicePathForPort(3, &ini), "\\\\.\\COM9");
    EXPECT_EQ(DevicePathForPort(4, &ini), "\\\\.\\COM4");
}

// Whatever the system has, every listed port carries its number in its friendly name and is
// reached through its own device; the list is in port order.
TEST(PortListWin32, ListedPortsAreNamedByTheirNumberInPortOrder) {
    const std::vector<PortEntry> ports = ListPorts(nullptr);
    int last = 0;
    for (const PortEntry& p : ports) {
        EXPECT_GT(p.number, 0);
        EXPECT_GE(p.number, last);
        EXPECT_EQ(PortNumberOfFriendlyName(p.friendly_name), p.number) << p.friendly_name;
        EXPECT_EQ(p.device_path, "\\\\.\\COM" + std::to_string(p.number));
        last = p.number;
    }
}

}  // namespace
}  // namespace kotar
