// SPDX-License-Identifier: GPL-3.0-or-later
// The MMDevice backend of the endpoints. What the system offers is told by
// KOTAR_TEST_SOUND_DEVICES, which scripts/test-windows.sh sets: "none" where Wine runs without
// an audio driver, "null" with the private sound server's null sink as the render endpoint and
// a source recording it as the capture endpoint (scripts/sound-server.sh). Without it the
// devices are unknown.
#include <windows.h>
// clang-format off
#include <mmdeviceapi.h>
// clang-format on

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "audio/EndpointsWin32.h"

namespace kotar {
namespace {

using namespace std::chrono_literals;

TEST(MmDeviceEndpoints, OnlyALineLevelInputIsALineConnector) {
    EXPECT_EQ(JackTypeOf(CaptureFacts(LineLevel)), kLineConnectorGuid);
    for (const std::uint32_t form_factor :
         {std::uint32_t{Microphone}, std::uint32_t{Headset}, std::uint32_t{UnknownFormFactor}}) {
        EXPECT_EQ(JackTypeOf(CaptureFacts(form_factor)), kMicrophoneGuid) << form_factor;
    }
}

class SystemSoundDevices : public ::testing::Test {
protected:
    void SetUp() override {
        const char* told = std::getenv("KOTAR_TEST_SOUND_DEVICES");
        if (told == nullptr)
            GTEST_SKIP() << "the sound devices of this system are unknown";
        devices_ = told;
        ASSERT_TRUE(endpoints_.WaitFor([](const EndpointState& s) { return s.updates > 0; }, 10s));
    }

    std::string devices_;
    MmDeviceEndpoints endpoints_;
};

TEST_F(SystemSoundDevices, WithoutAnyEveryQuestionIsAnsweredNo) {
    if (devices_ != "none")
        GTEST_SKIP() << "this system has sound devices";
    // (Wine without a working driver has no device enumerator at all: nothing answers.)
    const EndpointState state = endpoints_.State();
    EXPECT_EQ(state.input_id, "");
    EXPECT_EQ(state.output_id, "");
    EndpointGuid jack{};
    EXPECT_FALSE(endpoints_.InputJackType(jack));
    EXPECT_FALSE(endpoints_.OutputDeviceExists());
    float volume = -1;
    EXPECT_FALSE(endpoints_.InputVolume(volume));
    EXPECT_FALSE(endpoints_.SetVolume(0.5f));
    EXPECT_FALSE(endpoints_.InputVolume(volume));
}

TEST_F(SystemSoundDevices, TheDefaultEndpointsAreFoundAndAVolumeChangeIsShownOnlyWhenMade) {
    if (devices_ != "null")
        GTEST_SKIP() << "this system has no null devices";
    EXPECT_TRUE(endpoints_.OutputDeviceExists());
    EXPECT_NE(endpoints_.State().output_id, "");
    ASSERT_NE(endpoints_.State().input_id, "");
    EndpointGuid jack{};
    ASSERT_TRUE(endpoints_.InputJackType(jack));
    EXPECT_EQ(jack, kMicrophoneGuid);

    float before = -1;
    ASSERT_TRUE(endpoints_.InputVolume(before));
    EXPECT_GE(before, 0.0f);
    EXPECT_LE(before, 1.0f);
    const float wanted = before > 0.5f ? 0.25f : 0.75f;
    // Wine keeps the capture volume of its own and does not let it be set.
    const bool set = endpoints_.SetVolume(wanted);
    // What the system itself answers after the request, not only the value shown at once.
    ASSERT_TRUE(endpoints_.ConfirmAnswering(5s));
    float after = -1;
    ASSERT_TRUE(endpoints_.InputVolume(after));
    EXPECT_NEAR(after, set ? wanted : before, 0.01f);
}

}  // namespace
}  // namespace kotar
