// SPDX-License-Identifier: GPL-3.0-or-later
// The Win32 serial port against kotar-devsim behind a COM port of Wine. The Wine system test
// (tests/system/WindowsCliTest.cpp) starts the simulator with "--fault vanish --command 9012"
// and names the port in KOTAR_TEST_SIM_PORT; without it there is no device and the test skips.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <vector>

#include "DeviceModel.h"
#include "link/Frame.h"
#include "link/SerialPort.h"

namespace kotar {
namespace {

using Wait = SerialPort::WaitResult;

std::vector<std::uint8_t> Request(int command) {
    return EncodeFrame(kRequestMark, command, std::span<const std::uint8_t>{});
}

TEST(SerialPortWin32, AgainstTheSimulator_WaitsForNewBytesOnlyHoldsThePortAloneAndSeesItGo) {
    const char* name = std::getenv("KOTAR_TEST_SIM_PORT");
    if (name == nullptr)
        GTEST_SKIP() << "no simulator behind a COM port (KOTAR_TEST_SIM_PORT)";
    const std::string path = std::string("\\\\.\\") + name;
    auto port = CreateSerialPort();
    EXPECT_EQ(port->WaitReadable(0), Wait::Gone);  // not open
    ASSERT_TRUE(port->Open(path));
    EXPECT_FALSE(CreateSerialPort()->Open(path));  // also for this process's next opener
    EXPECT_EQ(port->WaitReadable(0), Wait::Timeout);

    const std::vector<std::uint8_t> request = Request(kCmdReadStart);
    devsim::DeviceModel model;
    const std::vector<std::uint8_t> answer = model.Receive(request);
    ASSERT_FALSE(answer.empty());
    ASSERT_TRUE(port->Write(request));
    ASSERT_EQ(port->WaitReadable(5000), Wait::Readable);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (port->QueuedCount() < static_cast<int>(answer.size()) &&
           std::chrono::steady_clock::now() < deadline) {
        port->WaitReadable(100);
    }
    // Bytes already counted do not end a wait.
    ASSERT_EQ(port->QueuedCount(), static_cast<int>(answer.size()));
    EXPECT_EQ(port->WaitReadable(0), Wait::Timeout);
    std::vector<std::uint8_t> received(answer.size());
    ASSERT_EQ(port->Read(received), received.size());
    EXPECT_EQ(received, answer);

    port->Close();
    ASSERT_TRUE(port->Open(path));                   // closed, the port is free again
    ASSERT_TRUE(port->Write(Request(kCmdReadEnd)));  // the simulator is unplugged on it
    Wait seen = Wait::Timeout;
    const auto unplugged_deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (seen == Wait::Timeout && std::chrono::steady_clock::now() < unplugged_deadline)
        seen = port->WaitReadable(200);
    EXPECT_EQ(seen, Wait::Gone);
    EXPECT_FALSE(port->Write(Request(kCmdReadEnd)));
    EXPECT_EQ(port->WaitReadable(0), Wait::Gone);
}

}  // namespace
}  // namespace kotar
