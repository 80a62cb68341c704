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

}  // namespace
}  // namespace kotar
