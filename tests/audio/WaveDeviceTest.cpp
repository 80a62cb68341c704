// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ScriptedPrompter.h"
#include "SoundServer.h"
#include "StateEndpoints.h"
#include "ToneAnalysis.h"
#include "audio/SoundCtrl.h"
#include "audio/SystemWaveDevice.h"
#include "common/ProcessExit.h"

namespace kotar {
namespace {

using test::ScriptedPrompter;
using Names = std::vector<std::string>;

// Runs the event loop until the condition holds or the deadline passes.
bool PollUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Drives the recording and playback cycles as the waveform view does and logs the order.
class Owner : public WaveListener {
public:
    explicit Owner(CSoundCtrl& sound) : sound_(sound) {}
    void OnInputOpen() override {
        log.push_back("in-open");
        sound_.StartInput();
    }
    void OnInputData(WaveHeader&) override {
        log.push_back("in-data");
        sound_.CloseRecord();
    }
    void OnInputClose() override {
        log.push_back("in-close");
        sound_.FinishRecording();
    }
    void OnOutputOpen() override {
        log.push_back("out-open");
        sound_.Play(play_from);
    }
    void OnOutputDone(WaveHeader&) override {
        log.push_back("out-done");
        sound_.ClosePlayback();
    }
    void OnOutputClose() override { log.push_back("out-close"); }

    bool Saw(const std::string& name) const {
        return std::find(log.begin(), log.end(), name) != log.end();
    }

    Names log;
    std::uint32_t play_from = 0;

private:
    CSoundCtrl& sound_;
};

void FillTone(CSoundCtrl& sound, double frequency_hz, double amplitude) {
    const auto tone = test::Sine(frequency_hz, 8000, amplitude, sound.capacity() / 2);
    for (std::size_t i = 0; i < tone.size(); ++i) {
        const auto v = static_cast<std::int16_t>(tone[i] * 32767);
        sound.data()[2 * i] = static_cast<std::uint8_t>(v & 0xFF);
        sound.data()[2 * i + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
    }
    sound.set_length(sound.capacity());
}

// The system's own wave device (Qt Multimedia, or winmm on Windows) on the test loopback.
class WaveDeviceTest : public ::testing::Test {
protected:
    ScriptedPrompter prompter;
    std::unique_ptr<WaveDevice> owned = MakeSystemWaveDevice();
    WaveDevice& device = *owned;
};

TEST_F(WaveDeviceTest, ATonePlayedIntoTheSinkIsRecordedFromTheDefaultSource) {
    KOTAR_REQUIRE_SOUND_SERVER();
    CSoundCtrl tone(1, 1, 8000, 16, 16'000, prompter);  // 1 s
    FillTone(tone, 1000, 0.5);
    tone.set_wave_device(&device);
    CSoundCtrl take(1, 1, 8000, 16, 64'000, prompter);  // room for 4 s
    take.set_wave_device(&device);
    take.set_length(take.capacity());
    Owner player(tone);
    Owner recorder(take);

    ASSERT_EQ(take.OpenRecord(recorder), 1);
    EXPECT_TRUE(recorder.log.empty());  // never from inside the call
    ASSERT_TRUE(PollUntil([&] { return recorder.Saw("in-open"); }, std::chrono::seconds(5)));
    // The tone starts once capture runs: Wine's winmm begins to deliver over a second late.
    ASSERT_TRUE(PollUntil([&] { return take.RecordPosition() > 0; }, std::chrono::seconds(5)));
    ASSERT_EQ(tone.OpenPlayback(player), 1);
    ASSERT_TRUE(PollUntil([&] { return player.Saw("out-close"); }, std::chrono::seconds(10)));
    EXPECT_EQ(player.log, (Names{"out-open", "out-done", "out-close"}));
    EXPECT_EQ(tone.stopped_position(), 16'000u);  // the whole buffer was played

    // Keep recording until the tone's tail has come round through the source.
    const std::uint32_t after = take.RecordPosition() + 8'000;
    ASSERT_TRUE(PollUntil([&] { return take.RecordPosition() >= after; }, std::chrono::seconds(5)));
    take.StopRecord();
    EXPECT_FALSE(recorder.Saw("in-data"));  // never from inside the call
    const std::uint32_t stopped = take.length();
    ASSERT_TRUE(PollUntil([&] { return recorder.Saw("in-close"); }, std::chrono::seconds(5)));
    EXPECT_EQ(recorder.log, (Names{"in-open", "in-data", "in-close"}));
    EXPECT_EQ(take.length() % 40, 0u);
    EXPECT_GT(take.length(), stopped);

    // The loudest 100 ms of the take holds the tone at its level.
    const auto samples = test::Samples16(take.data(), take.length() / 2);
    double best = 0;
    std::size_t best_at = 0;
    for (std::size_t at = 0; at + 800 <= samples.size(); at += 400) {
        const double a = test::ToneAmplitude(samples, at, 800, 1000, 8000);
        if (a > best) {
            best = a;
            best_at = at;
        }
    }
    EXPECT_NEAR(best, 0.5, 0.05);
    EXPECT_LT(test::ToneAmplitude(samples, best_at, 800, 1500, 8000), 0.02);
}

TEST_F(WaveDeviceTest, PausedPlaybackStopsAtThePlayedPositionAndResumesThere) {
    KOTAR_REQUIRE_SOUND_SERVER();
    CSoundCtrl sound(1, 1, 8000, 16, 48'000, prompter);  // 3 s
    FillTone(sound, 500, 0.3);
    sound.set_wave_device(&device);
    Owner owner(sound);
    ASSERT_EQ(sound.OpenPlayback(owner), 1);
    ASSERT_TRUE(PollUntil([&] { return sound.PlayPosition() >= 4'000; }, std::chrono::seconds(5)));
    sound.PausePlayback();
    EXPECT_FALSE(owner.Saw("out-done"));  // never from inside the call
    const std::uint32_t stopped = sound.stopped_position();
    EXPECT_GE(stopped, 4'000u);
    EXPECT_LT(stopped, 48'000u);
    EXPECT_EQ(stopped % 2, 0u);
    ASSERT_TRUE(PollUntil([&] { return owner.Saw("out-close"); }, std::chrono::seconds(5)));
    EXPECT_EQ(owner.log, (Names{"out-open", "out-done", "out-close"}));
    EXPECT_EQ(sound.stopped_position(), stopped);

    owner.log.clear();
    owner.play_from = stopped;
    ASSERT_EQ(sound.OpenPlayback(owner), 1);
    ASSERT_TRUE(PollUntil([&] { return owner.Saw("out-open"); }, std::chrono::seconds(5)));
    EXPECT_GE(sound.PlayPosition(), stopped);
    sound.PausePlayback();
    ASSERT_TRUE(PollUntil([&] { return owner.Saw("out-close"); }, std::chrono::seconds(5)));
}

TEST_F(WaveDeviceTest, OnlyPcmStreamsOnDevicesTheEndpointsShowAreOpened) {
    KOTAR_REQUIRE_SOUND_SERVER();
    test::StateEndpoints endpoints;
    const auto shown = MakeSystemWaveDevice(endpoints);
    WaveListener listener;
    struct : WaveListener {
        void OnInputClose() override { ++closes; }
        void OnOutputClose() override { ++closes; }
        int closes = 0;
    } opened;
    const WaveFormat pcm{kFormatPcm, 1, 8000, 16000, 2, 16, 0};
    const WaveFormat mu_law{kFormatMuLaw, 1, 8000, 8000, 1, 8, 0};
    EndpointState state;
    state.input_id = "in";
    state.input.exists = true;
    state.output_id = "out";
    state.output_exists = true;
    endpoints.Set(state);  // not answering
    EXPECT_EQ(shown->OpenInput(pcm, listener), nullptr);
    EXPECT_EQ(shown->OpenOutput(pcm, listener), nullptr);

    state.answering = true;
    state.input.is_monitor = true;
    state.output_exists = false;
    endpoints.Set(state);
    EXPECT_EQ(shown->OpenInput(pcm, listener), nullptr);
    EXPECT_EQ(shown->OpenOutput(pcm, listener), nullptr);

    state.input.is_monitor = false;
    state.output_exists = true;
    endpoints.Set(state);
    EXPECT_EQ(shown->OpenInput(mu_law, listener), nullptr);
    EXPECT_EQ(shown->OpenOutput(mu_law, listener), nullptr);
    const auto input = shown->OpenInput(pcm, opened);
    const auto output = shown->OpenOutput(pcm, opened);
    ASSERT_NE(input, nullptr);
    ASSERT_NE(output, nullptr);
    // Closed as an owner closes them: their notifications, the close last, are delivered and
    // nothing stays queued when the test ends.
    input->Close();
    output->Close();
    EXPECT_TRUE(PollUntil([&] { return opened.closes == 2; }, std::chrono::seconds(5)));
}

// The level meter's cycle: two small capture buffers, each given back to the stream as soon as
// it returns, so the stream fills them in turn for as long as it runs.
class Monitor : public WaveListener {
public:
    explicit Monitor(CSoundCtrl& sound) : sound_(sound) {}
    void OnInputOpen() override {
        log.push_back("in-open");
        sound_.StartInput();
    }
    void OnInputData(WaveHeader&) override {
        log.push_back("in-data");
        peak = std::max(peak, sound_.MonitorBufferDone());
    }
    void OnInputClose() override { log.push_back("in-close"); }

    std::size_t DataCount() const {
        return static_cast<std::size_t>(std::count(log.begin(), log.end(), "in-data"));
    }

    Names log;
    std::uint16_t peak = 0;

private:
    CSoundCtrl& sound_;
};

TEST_F(WaveDeviceTest, TheMonitorsBuffersAreRefilledInTurnAndTheCloseComesLast) {
    KOTAR_REQUIRE_SOUND_SERVER();
    CSoundCtrl meter(1, 1, 8000, 16, 1'600, prompter);
    meter.set_wave_device(&device);
    Monitor monitor(meter);
    ASSERT_EQ(meter.OpenMonitor(monitor), 1);
    ASSERT_TRUE(PollUntil([&] { return monitor.DataCount() >= 4; }, std::chrono::seconds(5)));
    EXPECT_LT(monitor.peak, 1'000);  // silence so far

    // A tone comes round through the loopback into whichever buffer is being filled.
    CSoundCtrl tone(1, 1, 8000, 16, 16'000, prompter);
    FillTone(tone, 1000, 0.5);
    tone.set_wave_device(&device);
    Owner player(tone);
    ASSERT_EQ(tone.OpenPlayback(player), 1);
    ASSERT_TRUE(PollUntil([&] { return monitor.peak > 12'000; }, std::chrono::seconds(5)));
    EXPECT_GE(meter.RecordPosition(), 4 * CSoundCtrl::kMonitorBytes);

    // The stream is closed and dropped at once; its close still follows, after any data.
    meter.CloseMonitor();
    const std::size_t data_before = monitor.DataCount();
    EXPECT_NE(monitor.log.back(), "in-close");  // never from inside the call
    ASSERT_TRUE(
        PollUntil([&] { return monitor.log.back() == "in-close"; }, std::chrono::seconds(5)));
    EXPECT_EQ(monitor.log.front(), "in-open");
    EXPECT_EQ(std::count(monitor.log.begin(), monitor.log.end(), "in-close"), 1);
    EXPECT_GE(monitor.DataCount(), data_before);
    ASSERT_TRUE(PollUntil([&] { return player.Saw("out-close"); }, std::chrono::seconds(10)));
}

}  // namespace
}  // namespace kotar

int main(int argc, char** argv) {
    const int result = [&] {
        QCoreApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        return RUN_ALL_TESTS();
    }();
    kotar::ExitWithoutLibraryTeardown(result);
}
