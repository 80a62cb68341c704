// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>

#include "TempDir.h"
#include "link/PortList.h"
#include "link/PortListPosix.h"

namespace kotar {
namespace {

using test::TempDir;
using test::WriteText;

TEST(PortList, NumbersMapToTheDeviceRanges) {
    EXPECT_EQ(DevicePathForPort(1, nullptr), "/dev/ttyS0");
    EXPECT_EQ(DevicePathForPort(12, nullptr), "/dev/ttyS11");
    EXPECT_EQ(DevicePathForPort(32, nullptr), "/dev/ttyS31");
    EXPECT_EQ(DevicePathForPort(33, nullptr), "/dev/ttyUSB0");
    EXPECT_EQ(DevicePathForPort(65, nullptr), "/dev/ttyACM0");
    EXPECT_EQ(DevicePathForPort(96, nullptr), "/dev/ttyACM31");
    EXPECT_EQ(DevicePathForPort(0, nullptr), "");
    EXPECT_EQ(DevicePathForPort(97, nullptr), "");
    EXPECT_EQ(PortNumberOfDeviceName("ttyUSB2"), 35);
    EXPECT_EQ(PortNumberOfDeviceName("ttyS0"), 1);
    EXPECT_EQ(PortNumberOfDeviceName("ttyACM31"), 96);
    EXPECT_EQ(PortNumberOfDeviceName("ttyACM32"), 0);
    EXPECT_EQ(PortNumberOfDeviceName("tty1"), 0);
}

TEST(PortList, PortsSectionOverridesTheRanges) {
    TempDir dir;
    WriteText(dir / "MEVAN.INI", "[PORTS]\r\nCOM3=/tmp/sim\r\n");
    ProfileFile ini(dir / "MEVAN.INI");
    EXPECT_EQ(DevicePathForPort(3, &ini), "/tmp/sim");
    EXPECT_EQ(DevicePathForPort(4, &ini), "/dev/ttyS3");
}

TEST(PortList, ListsPresentPortsWithFriendlyNamesInPortOrder) {
    TempDir dir;
    const auto sys = dir / "sys";
    const auto devices = dir / "devices";
    // ttyUSB0: a USB adapter with a product name; ttyS0: a real UART; ttyS1: no UART;
    // tty5: not a serial port; ttyS2: no device behind it.
    std::filesystem::create_directories(devices / "usb1" / "1-1" / "1-1:1.0" / "ttyUSB0");
    WriteText(devices / "usb1" / "1-1" / "product", "FT232R USB UART\n");
    std::filesystem::create_directories(devices / "serial8250" / "port0");
    std::filesystem::create_directories(dir / "drivers" / "serial8250");
    std::filesystem::create_directory_symlink(dir / "drivers" / "serial8250",
                                              devices / "serial8250" / "port0" / "driver");
    for (const char* name : {"ttyUSB0", "ttyS0", "ttyS1", "tty5", "ttyS2"}) {
        std::filesystem::create_directories(sys / name);
    }
    std::filesystem::create_directory_symlink(devices / "usb1" / "1-1" / "1-1:1.0" / "ttyUSB0",
                                              sys / "ttyUSB0" / "device");
    std::filesystem::create_directory_symlink(devices / "serial8250" / "port0",
                                              sys / "ttyS0" / "device");
    WriteText(sys / "ttyS0" / "type", "4\n");
    std::filesystem::create_directory_symlink(devices / "serial8250" / "port0",
                                              sys / "ttyS1" / "device");
    WriteText(sys / "ttyS1" / "type", "0\n");
    std::filesystem::create_directory_symlink(devices / "serial8250" / "port0",
                                              sys / "tty5" / "device");
    // A PORTS entry whose device exists is listed under its own number.
    WriteText(dir / "simport", "");
    WriteText(dir / "MEVAN.INI", "[PORTS]\r\nCOM7=" + (dir / "simport").string() +
                                     "\r\nCOM8=" + (dir / "gone").string() + "\r\n");
    ProfileFile ini(dir / "MEVAN.INI");

    const std::vector<PortEntry> ports = ListPortsIn(&ini, sys, "/dev");
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_EQ(ports[0].number, 1);
    EXPECT_EQ(ports[0].friendly_name, "Communications Port (COM1)");
    EXPECT_EQ(ports[0].device_path, "/dev/ttyS0");
    EXPECT_EQ(ports[1].number, 7);
    EXPECT_EQ(ports[1].friendly_name, "simport (COM7)");
    EXPECT_EQ(ports[1].device_path, (dir / "simport").string());
    EXPECT_EQ(ports[2].number, 33);
    EXPECT_EQ(ports[2].friendly_name, "FT232R USB UART (COM33)");
    for (const PortEntry& p : ports) {
        EXPECT_EQ(PortNumberOfFriendlyName(p.friendly_name), p.number);
    }
}

}  // namespace
}  // namespace kotar
