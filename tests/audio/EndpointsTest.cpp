#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "audio/Endpoints.h"

namespace kotar {
namespace {

std::string GuidText(const EndpointGuid& g) {
    char text[40];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-", g[3], g[2],
                  g[1], g[0], g[5], g[4], g[7], g[6], g[8], g[9]);
    std::string out = text;
    for (int i = 10; i < 16; ++i) {
        std::snprintf(text, sizeof text, "%02X", g[i]);
        out += text;
    }
    return out;
}

TEST(Endpoints, ConnectorIdentifiersAreTheLineAndMicrophoneTypes) {
    EXPECT_EQ(GuidText(kLineConnectorGuid), "DFF21FE3-F70F-11D0-B917-00A0C9223196");
    EXPECT_EQ(GuidText(kMicrophoneGuid), "DFF21BE1-F70F-11D0-B917-00A0C9223196");
}

TEST(Endpoints, JackTypeIsLineOnlyForALinePortAndFailsWithoutARealPluggedInput) {
    SourceFacts line{true, false, true, false, true};
    EXPECT_EQ(JackTypeOf(line), kLineConnectorGuid);
    SourceFacts mic_port{true, false, true, false, false};
    EXPECT_EQ(JackTypeOf(mic_port), kMicrophoneGuid);
    SourceFacts no_ports{true, false, false, false, false};  // null and remap sources
    EXPECT_EQ(JackTypeOf(no_ports), kMicrophoneGuid);

    SourceFacts unplugged_line{true, false, true, true, true};
    EXPECT_FALSE(JackTypeOf(unplugged_line));
    SourceFacts monitor{true, true, false, false, false};
    EXPECT_FALSE(JackTypeOf(monitor));
    EXPECT_FALSE(JackTypeOf(SourceFacts{}));
}

}  // namespace
}  // namespace kotar
