// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/PortList.h"

#include <gtest/gtest.h>

namespace kotar {
namespace {

TEST(PortList, FriendlyNameNumberFollowsTheLastUpperCaseCom) {
    EXPECT_EQ(PortNumberOfFriendlyName("USB Serial Port (COM3)"), 3);
    EXPECT_EQ(PortNumberOfFriendlyName("Communications Port (COM1)"), 1);
    EXPECT_EQ(PortNumberOfFriendlyName("COM9 adapter (COM12)"), 12);
    EXPECT_EQ(PortNumberOfFriendlyName("Serial (COM7x)"), 7);
    EXPECT_EQ(PortNumberOfFriendlyName("Serial (com4)"), 0);
    EXPECT_EQ(PortNumberOfFriendlyName("Printer port (LPT1)"), 0);
    EXPECT_EQ(PortNumberOfFriendlyName("Odd (COM)"), 0);
}

}  // namespace
}  // namespace kotar
