// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "StateEndpoints.h"
#include "audio/Endpoints.h"

namespace kotar {
namespace {

using test::StateEndpoints;

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

EndpointState PluggedLineAndOutput() {
    EndpointState state;
    state.answering = true;
    state.input_id = "in";
    state.input = SourceFacts{true, false, true, false, true};
    state.input_volume = 0.25f;
    state.output_id = "out";
    state.output_exists = true;
    return state;
}

// The answers for a state as text: the jack ("line", "mic" or "-"), whether there is an
// output (1 or 0), and the input volume ("-" when there is none).
std::string AnswersFor(const EndpointState& state) {
    StateEndpoints endpoints;
    endpoints.Set(state);
    EndpointGuid guid{};
    float volume = 0;
    const std::string jack = !endpoints.InputJackType(guid) ? "-"
                             : guid == kLineConnectorGuid   ? "line"
                                                            : "mic";
    const std::string level = endpoints.InputVolume(volume) ? std::to_string(volume) : "-";
    return jack + " " + (endpoints.OutputDeviceExists() ? "1" : "0") + " " + level;
}

TEST(Endpoints, AnswersComeFromTheStateAndNothingIsKnownWhileTheSystemDoesNotAnswer) {
    const EndpointState plugged = PluggedLineAndOutput();
    EXPECT_EQ(AnswersFor(plugged), "line 1 0.250000");
    EndpointState state = plugged;
    state.input.port_is_line = false;
    EXPECT_EQ(AnswersFor(state), "mic 1 0.250000");
    state = plugged;
    state.answering = false;
    EXPECT_EQ(AnswersFor(state), "- 0 -");
    state = plugged;  // still an input with a volume, but no jack
    state.input.port_unplugged = true;
    EXPECT_EQ(AnswersFor(state), "- 1 0.250000");
    state = plugged;  // and the sink named as default is gone
    state.input.is_monitor = true;
    state.output_exists = false;
    EXPECT_EQ(AnswersFor(state), "- 0 -");
    EXPECT_FALSE(state.RealInput() || state.Output());
}

TEST(Endpoints, WaitingEndsWithTheUpdateThatSatisfiesTheCondition) {
    StateEndpoints endpoints;
    const auto has_output = [](const EndpointState& s) { return s.Output().has_value(); };
    EXPECT_FALSE(endpoints.WaitFor(has_output, std::chrono::milliseconds(0)));
    std::thread backend([&] {
        endpoints.Set(EndpointState{});
        endpoints.Set(PluggedLineAndOutput());
    });
    EXPECT_TRUE(endpoints.WaitFor(has_output, std::chrono::seconds(20)));
    backend.join();
    EXPECT_EQ(endpoints.State().updates, 2u);
}

}  // namespace
}  // namespace kotar
