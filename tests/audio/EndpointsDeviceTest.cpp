// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "FakeSoundServer.h"
#include "SoundServer.h"
#include "TempDir.h"
#include "audio/Endpoints.h"
#include "audio/EndpointsPulse.h"

namespace kotar {
namespace {

using std::chrono::seconds;
using test::FakeSoundServer;

constexpr auto kLimit = seconds(20);
// Quick probes and retries, so that a change of the server shows within a test's patience.
constexpr PulseTiming kQuick{std::chrono::milliseconds(100), std::chrono::milliseconds(400),
                             std::chrono::milliseconds(50), std::chrono::milliseconds(400)};

// Some tests reach the server through a relay.
const bool kSharedMemoryOff = (test::TurnOffSharedMemory(), true);

bool Answering(const EndpointState& s) {
    return s.answering;
}
bool WithDevices(const EndpointState& s) {
    return s.RealInput() && s.Output();
}
bool Tried(const EndpointState& s) {
    return s.updates > 0;
}

bool PollUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + kLimit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void ExpectNothingKnown(PulseEndpoints& endpoints) {
    EndpointGuid guid{};
    float volume = 0;
    EXPECT_FALSE(endpoints.InputJackType(guid));
    EXPECT_FALSE(endpoints.OutputDeviceExists());
    EXPECT_FALSE(endpoints.InputVolume(volume));
    EXPECT_FALSE(endpoints.SetVolume(0.5f));
    EXPECT_FALSE(endpoints.State().answering);
}

// Against the test set-up's server: a null sink and a remap source as the default input.
TEST(EndpointsDevice, TheDefaultInputIsARealSourceWithoutPortsSoAMicrophone) {
    KOTAR_REQUIRE_SOUND_SERVER();
    const auto endpoint = GetInputEndpoint();
    ASSERT_TRUE(endpoint);
    EXPECT_EQ(GetInputVolumeControl(), endpoint);
    EXPECT_EQ(DefaultSourceName(), endpoint);
    EXPECT_TRUE(HasOutputDevice());
    EndpointGuid guid{};
    ASSERT_TRUE(GetInputJackType(guid));
    EXPECT_EQ(guid, kMicrophoneGuid);
}

TEST(EndpointsDevice, InputVolumeIsTheFractionOfTheNormalVolumeAndReachesTheServer) {
    KOTAR_REQUIRE_SOUND_SERVER();
    float before = 0;
    ASSERT_TRUE(GetInputVolume(before));
    // A second connection sees what the server made of each request.
    PulseEndpoints observer;
    const auto server_shows = [&observer](float expected) {
        return observer.WaitFor(
            [expected](const EndpointState& s) {
                return s.input_volume && std::fabs(*s.input_volume - expected) < 0.0001f;
            },
            kLimit);
    };
    float volume = 0;
    ASSERT_TRUE(SetInputVolume(0.5f));
    ASSERT_TRUE(GetInputVolume(volume));  // shown at once
    EXPECT_NEAR(volume, 0.5f, 0.0001f);
    EXPECT_TRUE(server_shows(0.5f));
    ASSERT_TRUE(SetInputVolume(1.5f));  // held to the normal volume
    ASSERT_TRUE(GetInputVolume(volume));
    EXPECT_FLOAT_EQ(volume, 1.0f);
    EXPECT_TRUE(server_shows(1.0f));
    SetInputVolume(before);
    EXPECT_TRUE(server_shows(before));
}

TEST(EndpointsDevice, WithoutAServerEverythingFails) {
    PulseEndpoints absent("unix:/nonexistent/kotar/native");
    ASSERT_TRUE(absent.WaitFor(Tried, kLimit));
    ExpectNothingKnown(absent);
}

// The program's questions are answered while a server that accepts and never answers holds
// the one connection: nothing waits for the server, and nothing gives up on it.
TEST(EndpointsDevice, AServerThatNeverAnswersLeavesNothingKnownWithoutBlocking) {
    test::TempDir dir;
    FakeSoundServer server(dir / "native");
    PulseEndpoints endpoints(server.address());
    ASSERT_TRUE(PollUntil([&] { return server.accepted() == 1; }));
    ExpectNothingKnown(endpoints);
    EXPECT_EQ(server.accepted(), 1);
    EXPECT_EQ(server.closed_by_client(), 0);
}

// The test set-up's server reached through a relay that a test can hang or drop.
class RelayedServer : public ::testing::Test {
protected:
    void SetUp() override { KOTAR_REQUIRE_SOUND_SERVER(); }
    std::string address() const { return "unix:" + (dir_ / "native").string(); }
    FakeSoundServer& StartRelay() {
        relay_ =
            std::make_unique<FakeSoundServer>(dir_ / "native", test::DefaultSoundServerSocket());
        return *relay_;
    }
    // Endpoints on the relay, once they know the devices.
    std::unique_ptr<PulseEndpoints> Connect(PulseTiming timing = kQuick) {
        auto endpoints = std::make_unique<PulseEndpoints>(address(), timing);
        EXPECT_TRUE(endpoints->WaitFor(WithDevices, kLimit));
        return endpoints;
    }

    test::TempDir dir_;
    std::unique_ptr<FakeSoundServer> relay_;
};

TEST_F(RelayedServer, AServerStartedLaterIsFound) {
    PulseEndpoints endpoints(address(), kQuick);
    ASSERT_TRUE(endpoints.WaitFor(Tried, kLimit));
    EXPECT_FALSE(endpoints.OutputDeviceExists());
    StartRelay();
    ASSERT_TRUE(endpoints.WaitFor(WithDevices, kLimit));
    EXPECT_EQ(endpoints.State().output_id, test::kLoopbackSink);
}

TEST_F(RelayedServer, AServerThatStopsAnsweringCountsAsAbsentUntilItAnswersAgain) {
    FakeSoundServer& relay = StartRelay();
    const auto endpoints = Connect();
    relay.Hang();
    ASSERT_TRUE(endpoints->WaitFor(std::not_fn(Answering), kLimit));
    ExpectNothingKnown(*endpoints);
    relay.Resume();
    ASSERT_TRUE(endpoints->WaitFor(WithDevices, kLimit));
    EXPECT_EQ(relay.accepted(), 1);  // the same connection throughout
}

TEST_F(RelayedServer, AFreshAnswerIsConfirmedOnlyWhileTheServerAnswers) {
    FakeSoundServer& relay = StartRelay();
    // No probe of its own: the state would still show the devices of a hung server.
    const auto never = std::chrono::minutes(10);
    const auto endpoints = Connect(PulseTiming{never, never, never, never});
    ASSERT_TRUE(endpoints->ConfirmAnswering(kLimit));
    relay.Hang();
    EXPECT_FALSE(endpoints->ConfirmAnswering(std::chrono::milliseconds(200)));
    relay.Resume();
    EXPECT_TRUE(endpoints->ConfirmAnswering(kLimit));
}

TEST_F(RelayedServer, AServerThatGoesAwayIsConnectedAgain) {
    FakeSoundServer& relay = StartRelay();
    const auto endpoints = Connect();
    relay.DropConnections();
    // The lost connection is forgotten before the next one is made.
    ASSERT_TRUE(PollUntil([&] { return relay.accepted() == 2; }));
    ASSERT_TRUE(endpoints->WaitFor(WithDevices, kLimit));
}

}  // namespace
}  // namespace kotar
