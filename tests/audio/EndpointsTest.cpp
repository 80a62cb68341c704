#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

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

// Endpoints whose state the test sets, as a backend's thread does.
class StateEndpoints : public CachedEndpoints {
public:
    void Set(EndpointState state) { Publish(std::move(state)); }
    bool SetVolume(float) override { return false; }
};

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

struct Answers {
    std::optional<EndpointGuid> jack;
    bool output;
    std::optional<float> volume;
};

Answers Ask(StateEndpoints& endpoints, const EndpointState& state) {
    endpoints.Set(state);
    Answers answers{std::nullopt, endpoints.OutputDeviceExists(), std::nullopt};
    EndpointGuid guid{};
    if (endpoints.InputJackType(guid))
        answers.jack = guid;
    float volume = -1;
    if (endpoints.InputVolume(volume))
        answers.volume = volume;
    return answers;
}

TEST(Endpoints, AnswersComeFromTheStateAndNothingIsKnownWhileTheSystemDoesNotAnswer) {
    StateEndpoints endpoints;
    const EndpointState plugged = PluggedLineAndOutput();
    Answers a = Ask(endpoints, plugged);
    EXPECT_EQ(a.jack, kLineConnectorGuid);
    EXPECT_TRUE(a.output);
    EXPECT_EQ(a.volume, 0.25f);
    EXPECT_EQ(plugged.RealInput(), std::string("in"));
    EXPECT_EQ(plugged.Output(), std::string("out"));

    EndpointState silent = plugged;
    silent.answering = false;
    a = Ask(endpoints, silent);
    EXPECT_FALSE(a.jack || a.output || a.volume || silent.RealInput() || silent.Output());

    EndpointState unplugged = plugged;  // still an input with a volume, but no jack
    unplugged.input.port_unplugged = true;
    a = Ask(endpoints, unplugged);
    EXPECT_FALSE(a.jack);
    EXPECT_EQ(a.volume, 0.25f);

    EndpointState monitor = plugged;  // and the sink named as default is gone
    monitor.input.is_monitor = true;
    monitor.output_exists = false;
    a = Ask(endpoints, monitor);
    EXPECT_FALSE(a.jack || a.output || a.volume || monitor.RealInput() || monitor.Output());
    EXPECT_EQ(endpoints.State().updates, 4u);
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
