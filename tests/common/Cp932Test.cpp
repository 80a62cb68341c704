// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "common/Cp932.h"

namespace kotar {
namespace {

TEST(Cp932, RoundTripsJapaneseTextAndCountsBytes) {
    const std::string text = "音声フレーズＡ";
    std::string bytes = Utf8ToCp932(text);
    EXPECT_EQ(bytes.size(), 14u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x89);  // 音 = 0x89B9
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xB9);
    EXPECT_EQ(Cp932ToUtf8(bytes), text);
    EXPECT_EQ(Cp932Length("ｿｹｯﾄ"), 4u);  // half-width katakana are single bytes
}

TEST(Cp932, CutsEndAtCharacterBoundaries) {
    // 31 single bytes then a double-byte character: the cut at 32 leaves the character out.
    const std::string text = std::string(31, 'a') + "音x";
    EXPECT_EQ(TruncateToCp932Bytes(text, 32), std::string(31, 'a'));
    EXPECT_EQ(TruncateToCp932Bytes(text, 33), std::string(31, 'a') + "音");
    EXPECT_EQ(TruncateToCp932Bytes(text, 34), text);
    EXPECT_EQ(TruncateToCp932Bytes("ｱｲｳ", 2), "ｱｲ");  // half-width: one byte each
    EXPECT_EQ(TruncateToCp932Bytes("音声", 0), "");

    const std::string bytes = Utf8ToCp932("音声フレーズ");  // 12 bytes
    EXPECT_EQ(TruncateCp932Bytes(bytes, 5), bytes.substr(0, 4));
    EXPECT_EQ(TruncateCp932Bytes(bytes, 6), bytes.substr(0, 6));
    EXPECT_EQ(TruncateCp932Bytes("\x83\x5c"
                                 "ab",
                                 3),
              "\x83\x5c"
              "a");  // second byte 0x5C
    EXPECT_EQ(TruncateCp932Bytes("abc", 10), "abc");
}

TEST(Cp932, UnmappableAndInvalidInputIsReplacedNotDropped) {
    EXPECT_EQ(Utf8ToCp932("a😀b"), "a?b");
    EXPECT_EQ(Cp932ToUtf8("a\x81"), "a\xEF\xBF\xBD");  // a lead byte cut at the end
    EXPECT_EQ(Utf8ToCp932("①"), "\x87\x40");           // needs CP932, not plain Shift_JIS
}

TEST(Cp932, NoCharacterIsWrittenAsAnotherOne) {
    // No cp932 form, or one that reads back as another character (a backslash, a tilde).
    EXPECT_EQ(Utf8ToCp932("caf\u00E9 \u00A5100 \u203E \u00A6"), "caf? ?100 ? ?");
    EXPECT_EQ(Cp932Length("\u00A5"), 1u);
    // The JIS characters with two code points in use are written as the one cp932 holds.
    const std::string jis_forms = "\u301C\u2014\u2016\u2212\u00A2\u00A3\u00AC";
    const std::string cp932_forms = "\uFF5E\u2015\u2225\uFF0D\uFFE0\uFFE1\uFFE2";
    const std::string bytes = "\x81\x60\x81\x5C\x81\x61\x81\x7C\x81\x91\x81\x92\x81\xCA";
    EXPECT_EQ(Utf8ToCp932(jis_forms), bytes);
    EXPECT_EQ(Utf8ToCp932(cp932_forms), bytes);
    EXPECT_EQ(Cp932ToUtf8(bytes), cp932_forms);
}

}  // namespace
}  // namespace kotar
