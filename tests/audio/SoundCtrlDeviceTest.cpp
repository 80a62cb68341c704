// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeWaveDevice.h"
#include "ScriptedPrompter.h"
#include "audio/SoundCtrl.h"

namespace kotar {
namespace {

using test::FakeWaveDevice;
using test::ScriptedPrompter;
using Names = std::vector<std::string>;

// An owner that answers the notifications the way the waveform view and the recording
// settings dialog do.
class Owner : public WaveListener {
public:
    explicit Owner(CSoundCtrl& sound) : sound_(sound) {}

    void OnInputOpen() override { sound_.StartInput(); }
    void OnInputData(WaveHeader& header) override {
        (void)header;
        if (monitor) {
            peaks.push_back(sound_.MonitorBufferDone());
        } else {
            sound_.CloseRecord();
        }
    }
    void OnInputClose() override {
        if (!monitor)
            sound_.FinishRecording();
    }
    void OnOutputOpen() override { sound_.Play(play_from); }
    void OnOutputDone(WaveHeader& header) override {
        (void)header;
        sound_.ClosePlayback();
    }

    bool monitor = false;
    std::uint32_t play_from = 0;
    std::vector<std::uint16_t> peaks;

private:
    CSoundCtrl& sound_;
};

std::vector<std::uint8_t> Samples(const std::vector<std::int16_t>& samples) {
    std::vector<std::uint8_t> bytes;
    for (std::int16_t s : samples) {
        bytes.push_back(static_cast<std::uint8_t>(s & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
    }
    return bytes;
}

class SoundCtrlDevice : public ::testing::Test {
protected:
    SoundCtrlDevice() : sound(1, 1, 8000, 16, 320'000, prompter), owner(sound) {
        sound.set_wave_device(&device);
    }

    ScriptedPrompter prompter;
    FakeWaveDevice device;
    CSoundCtrl sound;
    Owner owner;
};

TEST_F(SoundCtrlDevice, RecordingStoppedAfterOneAndAHalfSecondsKeeps24000ThenRoundsTo24040) {
    sound.data()[5] = 0x55;  // an earlier take is cleared when recording opens
    ASSERT_EQ(sound.OpenRecord(owner), 1);
    EXPECT_EQ(sound.data()[5], 0);
    EXPECT_TRUE(device.delivered().empty());  // never from inside the call
    device.Deliver();
    EXPECT_EQ(device.input()->calls, (Names{"add", "start"}));

    device.Capture(std::vector<std::uint8_t>(24'000, 0x11));
    EXPECT_EQ(sound.RecordPosition(), 24'000u);
    sound.StopRecord();
    EXPECT_EQ(sound.length(), 24'000u);
    device.Deliver();
    EXPECT_EQ(device.delivered(), (Names{"in-open", "in-data", "in-close"}));
    EXPECT_EQ(sound.length(), 24'040u);
    EXPECT_EQ(sound.data()[23'999], 0x11);
    EXPECT_EQ(sound.data()[24'000], 0);
}

TEST_F(SoundCtrlDevice, AFullBufferComesBackByItselfAndTheLengthStaysAtCapacity) {
    sound.set_length(sound.capacity());  // the owner's step before every recording
    ASSERT_EQ(sound.OpenRecord(owner), 1);
    device.Deliver();
    device.Capture(std::vector<std::uint8_t>(330'000, 0x22));  // more than 20 s arrives
    device.Deliver();
    EXPECT_EQ(device.delivered(), (Names{"in-open", "in-data", "in-close"}));
    EXPECT_EQ(sound.length(), 320'000u);  // not one block past the end
    EXPECT_EQ(sound.data()[319'999], 0x22);
}

TEST_F(SoundCtrlDevice, ADeviceThatFailsToOpenOrToTakeTheBufferLeavesNothingOpen) {
    device.fail_open_input = true;
    EXPECT_EQ(sound.OpenRecord(owner), 0);
    device.fail_open_input = false;

    device.fail_add_buffer = true;
    EXPECT_EQ(sound.OpenRecord(owner), 0);
    EXPECT_FALSE(device.input()->alive);  // the half-opened device is dropped
    EXPECT_EQ(sound.OpenMonitor(owner), 0);
    EXPECT_FALSE(device.input()->alive);
    device.Deliver();
    EXPECT_EQ(device.delivered(), Names{});  // its open notification never arrives

    device.fail_open_output = true;
    EXPECT_EQ(sound.OpenPlayback(owner), 0);

    CSoundCtrl empty;
    empty.set_wave_device(&device);
    device.fail_add_buffer = false;
    EXPECT_EQ(empty.OpenRecord(owner), 0);  // no block to record into
}

TEST_F(SoundCtrlDevice, PausedPlaybackResumesFromTheStoppedPositionAndAnEndedOneFromZero) {
    sound.set_length(16'000);
    ASSERT_EQ(sound.OpenPlayback(owner), 1);
    device.Deliver();
    device.PlayOut(8'000);
    EXPECT_EQ(sound.PlayPosition(), 8'000u);
    sound.PausePlayback();
    EXPECT_EQ(sound.stopped_position(), 8'000u);
    device.Deliver();
    EXPECT_EQ(device.delivered(), (Names{"out-open", "out-done", "out-close"}));
    EXPECT_EQ(device.output()->calls, (Names{"add", "pause", "reset", "close"}));

    // Play again from the stopped position: the device gets the rest of the sound.
    owner.play_from = sound.stopped_position();
    device.ClearDelivered();
    ASSERT_EQ(sound.OpenPlayback(owner), 1);
    device.Deliver();
    EXPECT_EQ(sound.PlayPosition(), 8'000u);
    device.PlayOut(8'000);
    device.Deliver();
    EXPECT_EQ(device.delivered(), (Names{"out-open", "out-done", "out-close"}));
    EXPECT_EQ(sound.stopped_position(), 16'000u);  // ran to the end: not a pause
}

TEST_F(SoundCtrlDevice, PlayRoundsAnOddOffsetDownAndNeverStartsPastTheLength) {
    for (std::uint32_t i = 0; i < 1000; ++i)
        sound.data()[i] = static_cast<std::uint8_t>(i);
    sound.set_length(1000);
    ASSERT_EQ(sound.OpenPlayback(owner), 1);
    owner.play_from = 501;
    device.Deliver();
    EXPECT_EQ(sound.PlayPosition(), 500u);
    device.PlayOut(499);
    EXPECT_EQ(device.pending(), 0u);  // one byte still to go
    device.PlayOut(1);
    device.Deliver();
    EXPECT_EQ(sound.stopped_position(), 1000u);

    // A cursor three columns past the end plays nothing and returns at once.
    device.ClearDelivered();
    owner.play_from = 1200;
    ASSERT_EQ(sound.OpenPlayback(owner), 1);
    device.Deliver();
    EXPECT_EQ(device.delivered(), (Names{"out-open", "out-done", "out-close"}));
    EXPECT_EQ(sound.stopped_position(), 1000u);
}

TEST_F(SoundCtrlDevice, MonitorAlternatesTwoBuffersAndReportsMinus32768As32768) {
    owner.monitor = true;
    ASSERT_EQ(sound.OpenMonitor(owner), 1);
    EXPECT_EQ(device.input()->format.samples_per_sec, 8000u);
    EXPECT_EQ(device.input()->format.bits_per_sample, 16u);
    device.Deliver();
    EXPECT_EQ(device.input()->calls, (Names{"add", "add", "start"}));

    std::vector<std::int16_t> first(800, 100);
    first[400] = -32768;
    std::vector<std::int16_t> second(800, -5);
    second[10] = 1092;
    device.Capture(Samples(first));
    device.Deliver();
    device.Capture(Samples(second));
    device.Deliver();
    // Each returned buffer goes back to the device, so capture goes on into them.
    std::vector<std::int16_t> third(800, 7);
    device.Capture(Samples(third));
    device.Deliver();
    EXPECT_EQ(owner.peaks, (std::vector<std::uint16_t>{32768, 1092, 7}));
    EXPECT_EQ(device.input()->calls, (Names{"add", "add", "start", "add", "add", "add"}));

    EXPECT_EQ(sound.MonitorBufferDone(), 0);  // nothing returned since
    sound.CloseMonitor();
    device.Deliver();  // the buffers returned by the reset arrive after the close: ignored
    EXPECT_EQ(device.delivered().back(), "in-close");
    EXPECT_EQ(owner.peaks.size(), 5u);
    EXPECT_EQ(owner.peaks[3], 0);
    EXPECT_EQ(owner.peaks[4], 0);
}

TEST_F(SoundCtrlDevice, NotificationsOfADestroyedOwnerAreDropped) {
    auto other = std::make_unique<CSoundCtrl>(1, 1, 8000, 16, 16'000, prompter);
    other->set_wave_device(&device);
    {
        Owner gone(*other);
        ASSERT_EQ(other->OpenPlayback(gone), 1);
    }
    EXPECT_EQ(device.Deliver(), 0);
}

}  // namespace
}  // namespace kotar
