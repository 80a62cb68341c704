#include <gtest/gtest.h>

#include <cstdlib>

#include "SoundServer.h"
#include "audio/Endpoints.h"

namespace kotar {
namespace {

// Against the test set-up's server: a null sink and a remap source as the default input.
TEST(EndpointsDevice, TheDefaultInputIsARealSourceWithoutPortsSoAMicrophone) {
    KOTAR_REQUIRE_SOUND_SERVER();
    const auto endpoint = GetInputEndpoint();
    ASSERT_TRUE(endpoint);
    EXPECT_EQ(GetInputVolumeControl(), endpoint);
    EXPECT_TRUE(HasOutputDevice());
    EndpointGuid guid{};
    ASSERT_TRUE(GetInputJackType(guid));
    EXPECT_EQ(guid, kMicrophoneGuid);
}

TEST(EndpointsDevice, InputVolumeIsTheFractionOfTheNormalVolume) {
    KOTAR_REQUIRE_SOUND_SERVER();
    float before = 0;
    ASSERT_TRUE(GetInputVolume(before));
    ASSERT_TRUE(SetInputVolume(0.5f));
    float volume = 0;
    ASSERT_TRUE(GetInputVolume(volume));
    EXPECT_NEAR(volume, 0.5f, 0.0001f);
    ASSERT_TRUE(SetInputVolume(1.5f));  // held to the normal volume
    ASSERT_TRUE(GetInputVolume(volume));
    EXPECT_FLOAT_EQ(volume, 1.0f);
    SetInputVolume(before);
}

TEST(EndpointsDevice, WithoutAServerEverythingFails) {
    const char* saved = std::getenv("PULSE_SERVER");
    const std::string restore = saved != nullptr ? saved : "";
    setenv("PULSE_SERVER", "unix:/nonexistent/kotar/native", 1);
    EndpointGuid guid{};
    float volume = 0;
    EXPECT_FALSE(GetInputEndpoint());
    EXPECT_FALSE(HasOutputDevice());
    EXPECT_FALSE(GetInputJackType(guid));
    EXPECT_FALSE(GetInputVolume(volume));
    EXPECT_FALSE(SetInputVolume(0.5f));
    EXPECT_FALSE(DefaultSourceName());
    if (saved != nullptr)
        setenv("PULSE_SERVER", restore.c_str(), 1);
    else
        unsetenv("PULSE_SERVER");
}

}  // namespace
}  // namespace kotar
