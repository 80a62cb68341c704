// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>

#include "ScriptedPrompter.h"
#include "audio/LengthLimit.h"
#include "audio/SoundCtrl.h"

namespace kotar {
namespace {

using test::ScriptedPrompter;

// A recording-format buffer whose byte i holds (i % 251) + 1, so no byte is silence.
CSoundCtrl Ramp(std::uint32_t capacity, std::uint32_t length, ScriptedPrompter& prompter) {
    CSoundCtrl sound(1, 1, 8000, 16, capacity, prompter);
    for (std::uint32_t i = 0; i < capacity; ++i) {
        sound.data()[i] = static_cast<std::uint8_t>(i % 251 + 1);
    }
    sound.set_length(length);
    return sound;
}

bool SilentFrom(const CSoundCtrl& sound, std::uint32_t offset, std::uint8_t silence = 0) {
    return std::all_of(sound.data() + offset, sound.data() + sound.capacity(),
                       [&](std::uint8_t b) { return b == silence; });
}

TEST(SoundCtrlEdit, DeleteRangeMovesTheTailDownAndRoundsTheLengthUp) {
    ScriptedPrompter prompter;
    CSoundCtrl sound = Ramp(16000, 16000, prompter);
    sound.DeleteRange(100, 300);
    EXPECT_EQ(sound.length(), 15840u);
    EXPECT_EQ(sound.data()[99], 100);
    EXPECT_EQ(sound.data()[100], 300 % 251 + 1);  // byte 300 moved to 100
    EXPECT_EQ(sound.data()[15799], 15999 % 251 + 1);
    EXPECT_TRUE(SilentFrom(sound, 15800));

    // Odd offsets are rounded down to even; an end past the length stops at the length.
    CSoundCtrl odd = Ramp(1000, 600, prompter);
    odd.DeleteRange(101, 5001);
    EXPECT_EQ(odd.data()[99], 100);
    EXPECT_TRUE(SilentFrom(odd, 100));
    EXPECT_EQ(odd.length(), 120u);

    // A reversed range deletes nothing; the length still only grows to the next block.
    CSoundCtrl reversed = Ramp(1000, 400, prompter);
    reversed.DeleteRange(300, 100);
    EXPECT_EQ(reversed.data()[399], 399 % 251 + 1);
    EXPECT_TRUE(SilentFrom(reversed, 400));
    EXPECT_EQ(reversed.length(), 440u);
}

TEST(SoundCtrlEdit, RoundingNeverPassesCapacity) {
    ScriptedPrompter prompter;
    CSoundCtrl full = Ramp(16000, 16000, prompter);
    full.DeleteRange(0, 0);
    EXPECT_EQ(full.length(), 16000u);  // 16040 capped
    EXPECT_EQ(full.data()[15999], 15999 % 251 + 1);

    CSoundCtrl ragged = Ramp(1010, 1010, prompter);
    ragged.DeleteRange(0, 10);
    EXPECT_EQ(ragged.length(), 1010u);  // 1000 would round up to 1040
    EXPECT_TRUE(SilentFrom(ragged, 1000));
}

TEST(SoundCtrlEdit, TruncateFillAndClearWriteTheFormatsSilence) {
    ScriptedPrompter prompter;
    CSoundCtrl sound = Ramp(1000, 1000, prompter);
    EXPECT_EQ(sound.TruncateAt(400), 400u);
    EXPECT_EQ(sound.length(), 400u);
    EXPECT_EQ(sound.data()[399], 399 % 251 + 1);
    EXPECT_TRUE(SilentFrom(sound, 400));
    EXPECT_EQ(sound.TruncateAt(5000), 1000u);

    CSoundCtrl eight(1, 1, 8000, 8, 100, prompter);
    std::fill(eight.data(), eight.data() + 100, 0x11);
    EXPECT_EQ(eight.FillSilenceFrom(60), 1);
    EXPECT_EQ(eight.data()[59], 0x11);
    EXPECT_TRUE(SilentFrom(eight, 60, 0x80));
    EXPECT_EQ(eight.ClearAll(), 1);
    EXPECT_TRUE(SilentFrom(eight, 0, 0x80));

    CSoundCtrl empty;
    EXPECT_EQ(empty.FillSilenceFrom(0), 0);
    EXPECT_EQ(empty.ClearAll(), 0);
}

TEST(LengthLimit, CheckLengthFiguresForBothSlotMaxima) {
    ScriptedPrompter prompter;
    CSoundCtrl sound(1, 1, 8000, 16, 320'000, prompter);
    const std::pair<std::uint32_t, int> a_cases[] = {
        {131'072, 0}, {131'074, 1}, {131'080, 1}, {131'082, 2}, {0, 0}};
    for (auto [length, expected] : a_cases) {
        sound.set_length(length);
        EXPECT_EQ(CheckLength(sound, 8.192), expected) << length;
    }
    const std::pair<std::uint32_t, int> ab_cases[] = {{262'144, 0}, {262'160, 1}, {262'162, 2}};
    for (auto [length, expected] : ab_cases) {
        sound.set_length(length);
        EXPECT_EQ(CheckLength(sound, 16.384), expected) << length;
    }
}

TEST(LengthLimit, TruncateToSecondsAndIsNotLongerThan) {
    ScriptedPrompter prompter;
    CSoundCtrl sound = Ramp(320'000, 320'000, prompter);
    EXPECT_EQ(TruncateToSeconds(sound, 16.384), 262'144u);
    EXPECT_TRUE(SilentFrom(sound, 262'144));
    EXPECT_EQ(TruncateToSeconds(sound, 8.192), 131'072u);
    EXPECT_EQ(IsNotLongerThan(sound, 9), 1);
    EXPECT_EQ(IsNotLongerThan(sound, 8), 0);  // 128000 < 131072
    sound.set_length(128'000);
    EXPECT_EQ(IsNotLongerThan(sound, 8), 1);
}

}  // namespace
}  // namespace kotar
