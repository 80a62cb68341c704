// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/LoudnessTarget.h"

#include <gtest/gtest.h>

#include "TempDir.h"

namespace kotar {
namespace {

TEST(LoudnessTarget, OnlyDecimalNumbersFromMinus40ToMinus5AreReadAndWritten) {
    EXPECT_EQ(ParseLoudnessTarget("-40"), -40.0);
    EXPECT_EQ(ParseLoudnessTarget("-5"), -5.0);
    for (const char* text : {"-4.9", "-40.1", "-16,5", "-1e1", "nan"})
        EXPECT_EQ(ParseLoudnessTarget(text), std::nullopt) << text;

    // As typed: brought into the range, never read as another number.
    EXPECT_EQ(ReadTypedLoudnessTarget("-50"), -40.0);
    EXPECT_EQ(ReadTypedLoudnessTarget("-3"), -5.0);
    EXPECT_EQ(ReadTypedLoudnessTarget("-18.5"), -18.5);
    for (const char* text : {"abc", "-", "", "-1e1"})
        EXPECT_EQ(ReadTypedLoudnessTarget(text), std::nullopt) << text;

    test::TempDir dir;
    ProfileFile ini(dir / "MEVAN.INI");
    EXPECT_EQ(ReadLoudnessTarget(ini), -16.0);
    ASSERT_TRUE(WriteLoudnessTarget(ini, -18.54));
    EXPECT_EQ(ini.GetValue("CONFIG", "LOUDNESS"), "-18.5");
    EXPECT_FALSE(WriteLoudnessTarget(ini, -41.0));
    EXPECT_EQ(ReadLoudnessTarget(ini), -18.5);
}

}  // namespace
}  // namespace kotar
