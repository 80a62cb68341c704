// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/Frame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kotar {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(Frame, ReadEndRequestAndItsAnswerAreTheDocumentedBytes) {
    EXPECT_EQ(EncodeFrame(kRequestMark, kCmdReadEnd, {}),
              (Bytes{0x02, 0x54, 0x39, 0x30, 0x31, 0x32, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x03,
                     0x5D}));
    EXPECT_EQ(EncodeFrame(kResponseMark, kCmdReadEnd, {}),
              (Bytes{0x02, 0x41, 0x39, 0x30, 0x31, 0x32, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x03,
                     0x48}));
}

TEST(Frame, DataIsFramedWithZeroPaddedLengthAndBccOverMarkToEtx) {
    const Bytes data{0x01, 0x00, 0xAB};
    const Bytes frame = EncodeFrame(kRequestMark, kCmdWriteBlock, data);
    ASSERT_EQ(frame.size(), 17u);
    EXPECT_EQ(std::string(frame.begin() + 1, frame.begin() + 12), "T9001000003");
    EXPECT_EQ(frame[15], kEtx);
    std::uint8_t bcc = 0;
    for (std::size_t i = 1; i <= 15; ++i)
        bcc ^= frame[i];
    EXPECT_EQ(frame[16], bcc);
}

TEST(Frame, LengthFieldReadsLeadingDigitsOnly) {
    const auto parse = [](std::string text) {
        return ParseLengthField({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    };
    EXPECT_EQ(parse("001026"), 1026);
    EXPECT_EQ(parse("000000"), 0);
    EXPECT_EQ(parse("01a999"), 1);
    EXPECT_EQ(parse(" 00012"), 0);
}

TEST(Frame, DecodeAcceptsOnlyWholeWellFormedFrames) {
    const Bytes data{'o', 'k'};
    Bytes frame = EncodeFrame(kResponseMark, kCmdWriteStart, data);
    const auto decoded = DecodeFrame(frame);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->mark, kResponseMark);
    EXPECT_EQ(decoded->command, "9000");
    EXPECT_EQ(Bytes(decoded->data.begin(), decoded->data.end()), data);

    Bytes bad_bcc = frame;
    bad_bcc.back() ^= 1;
    EXPECT_FALSE(DecodeFrame(bad_bcc).has_value());
    EXPECT_FALSE(DecodeFrame({frame.data(), frame.size() - 1}).has_value());
    Bytes no_etx = frame;
    no_etx[14] = 0x04;
    EXPECT_FALSE(DecodeFrame(no_etx).has_value());
}

TEST(Frame, LittleEndianHelpers) {
    std::uint8_t bytes[4];
    PutLe32(bytes, 0x00080000);
    EXPECT_EQ(Bytes(bytes, bytes + 4), (Bytes{0x00, 0x00, 0x08, 0x00}));
    EXPECT_EQ(GetLe32(bytes), 0x00080000u);
    PutLe16(bytes, 0x0102);
    EXPECT_EQ(bytes[0], 0x02);
    EXPECT_EQ(GetLe16(bytes), 0x0102);
}

}  // namespace
}  // namespace kotar
