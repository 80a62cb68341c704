// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/ProgramFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "ScriptedPrompter.h"
#include "TempDir.h"
#include "link/Frame.h"

namespace kotar {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::ScriptedPrompter;
using test::TempDir;
using test::WriteBytes;

constexpr const char* kReadMessage =
    "選択したファイルが読み込めませんでした。\nファイルを確認してください。";
constexpr const char* kContentMessage =
    "選択したファイルの内容が正しくありません。\nファイルを確認してください。";
constexpr const char* kTypeMessage =
    "指定した形式のファイルは書き込めません。\nファイルを確認してください。";

void PutText(Bytes& file, std::size_t at, std::string_view text) {
    std::memcpy(file.data() + at, text.data(), text.size());
}

// A program file of `size` bytes with the given trailer texts (each field zero-filled first)
// and a correct CRC.
Bytes ProgramFile(std::size_t size, std::string_view tag, std::string_view date,
                  std::string_view version) {
    Bytes file(size);
    for (std::size_t i = 0; i < size; ++i)
        file[i] = static_cast<std::uint8_t>(i * 13 + 1);
    const std::size_t trailer = size - 48;
    std::fill(file.begin() + static_cast<std::ptrdiff_t>(trailer), file.end() - 2, 0);
    PutText(file, trailer, tag);
    PutText(file, trailer + 16, date);
    PutText(file, trailer + 32, version);
    PutLe16(file.data() + size - 2, Crc16Mcrf4xx({file.data(), size - 2}));
    return file;
}

std::uint32_t Sum(const Bytes& bytes) {
    return std::accumulate(bytes.begin(), bytes.end(), 0u);
}

TEST(ProgramFile, CrcIsMcrf4xx) {
    const std::string check = "123456789";
    EXPECT_EQ(Crc16Mcrf4xx({reinterpret_cast<const std::uint8_t*>(check.data()), check.size()}),
              0x6F91);
    EXPECT_EQ(Crc16Mcrf4xx({}), 0xFFFF);
}

TEST(ProgramFile, ApplicationFileLoadsWithFieldsPaddingAndChecksum) {
    TempDir dir;
    const Bytes file = ProgramFile(384000, "APLI_DEV01", "2026/01/02 03:04", "V1.23");
    WriteBytes(dir / "app.bin", file);
    ProgramSelection selection;
    ScriptedPrompter prompter;
    ASSERT_TRUE(SelectApplicationFile(dir / "app.bin", &selection, prompter));
    EXPECT_TRUE(prompter.prompts().empty());
    EXPECT_EQ(selection.fields.device_name, "DEV01");
    EXPECT_EQ(selection.fields.date, "2026/01/02 03:04");
    EXPECT_EQ(selection.fields.version, "V1.23");
    EXPECT_EQ(selection.path, (dir / "app.bin").string());
    ASSERT_EQ(selection.image.size(), 393216u);
    EXPECT_TRUE(std::equal(file.begin(), file.end(), selection.image.begin()));
    EXPECT_TRUE(std::all_of(selection.image.begin() + 384000, selection.image.end(),
                            [](std::uint8_t b) { return b == 0xFF; }));
    EXPECT_EQ(selection.checksum, Sum(file) + 9216u * 255u);
}

TEST(ProgramFile, FullLengthTextFieldsAreCutAtTheirWidth) {
    TempDir dir;
    // A tag field without a zero byte, a version longer than its 9 bytes.
    Bytes file = ProgramFile(384000, "APLI_ABCDEFGHIJK", "2026-01-02T03:04", "");
    PutText(file, 384000 - 48 + 32, "123456789XYZ");
    PutLe16(file.data() + 383998, Crc16Mcrf4xx({file.data(), 383998}));
    WriteBytes(dir / "app.bin", file);
    ProgramSelection selection;
    ASSERT_EQ(LoadApplicationFile(dir / "app.bin", &selection), ProgramFileCheck::Ok);
    EXPECT_EQ(selection.fields.device_name, "ABCDEFGHIJK");
    EXPECT_EQ(selection.fields.date, "2026-01-02T03:04");
    EXPECT_EQ(selection.fields.version, "123456789");
}

TEST(ProgramFile, DeviceNameIsCp932Text) {
    TempDir dir;
    Bytes file = ProgramFile(4096, "UDPG_\x91\x95\x92\x75", "", "");  // "装置" in cp932
    WriteBytes(dir / "upd.bin", file);
    ProgramSelection selection;
    ASSERT_EQ(LoadUpdateFile(dir / "upd.bin", &selection), ProgramFileCheck::Ok);
    EXPECT_EQ(selection.fields.device_name, "装置");
}

TEST(ProgramFile, ApplicationFileOfWrongSizeIsRefusedAndSelectionCleared) {
    TempDir dir;
    for (std::size_t size : {383999u, 384001u}) {
        ProgramSelection selection;
        WriteBytes(dir / "good.bin", ProgramFile(384000, "APLI_X", "d", "v"));
        ScriptedPrompter prompter;
        ASSERT_TRUE(SelectApplicationFile(dir / "good.bin", &selection, prompter));
        Bytes bad(size, 0x11);
        WriteBytes(dir / "bad.bin", bad);
        EXPECT_FALSE(SelectApplicationFile(dir / "bad.bin", &selection, prompter));
        ASSERT_EQ(prompter.prompts().size(), 1u);
        EXPECT_EQ(prompter.prompts()[0].message.text, kReadMessage);
        EXPECT_EQ(prompter.prompts()[0].message.caption, "書込ファイル確認");
        EXPECT_EQ(prompter.prompts()[0].message.icon, MessageIcon::Information);
        EXPECT_FALSE(selection.selected());
        EXPECT_TRUE(selection.fields.device_name.empty());
        EXPECT_EQ(selection.image, Bytes(393216, 0xFF));
    }
}

TEST(ProgramFile, ApplicationCrcMismatchOrWrongTagIsWrongContent) {
    TempDir dir;
    Bytes bad_crc = ProgramFile(384000, "APLI_X", "d", "v");
    bad_crc[383999] ^= 0x01;
    WriteBytes(dir / "crc.bin", bad_crc);
    WriteBytes(dir / "tag.bin", ProgramFile(384000, "UDPG_X", "d", "v"));
    for (const char* name : {"crc.bin", "tag.bin"}) {
        ProgramSelection selection;
        ScriptedPrompter prompter;
        EXPECT_FALSE(SelectApplicationFile(dir / name, &selection, prompter)) << name;
        ASSERT_EQ(prompter.prompts().size(), 1u);
        EXPECT_EQ(prompter.prompts()[0].message.text, kContentMessage);
        EXPECT_EQ(prompter.prompts()[0].message.icon, MessageIcon::Information);
    }
}

TEST(ProgramFile, UpperCaseExtensionIsWrongTypeAndKeepsTheSelection) {
    TempDir dir;
    WriteBytes(dir / "good.bin", ProgramFile(384000, "APLI_KEEP", "d", "v"));
    WriteBytes(dir / "other.BIN", ProgramFile(384000, "APLI_NEW", "d", "v"));
    ProgramSelection selection;
    ScriptedPrompter prompter;
    ASSERT_TRUE(SelectApplicationFile(dir / "good.bin", &selection, prompter));
    EXPECT_FALSE(SelectApplicationFile(dir / "other.BIN", &selection, prompter));
    ASSERT_EQ(prompter.prompts().size(), 1u);
    EXPECT_EQ(prompter.prompts()[0].message.text, kTypeMessage);
    EXPECT_EQ(prompter.prompts()[0].message.icon, MessageIcon::Error);
    EXPECT_EQ(selection.fields.device_name, "KEEP");
    EXPECT_TRUE(HasProgramFileExtension("a/b.c.bin"));
    EXPECT_FALSE(HasProgramFileExtension("a/bin"));
    EXPECT_FALSE(HasProgramFileExtension("a/b.Bin"));
}

TEST(ProgramFile, UpdateFileGetsItsCrcWrittenWhateverItHeld) {
    TempDir dir;
    Bytes file = ProgramFile(4096, "UDPG_DEV02", "2026/02/03", "U2");
    const std::uint16_t crc = Crc16Mcrf4xx({file.data(), 4094});
    file[4094] = 0x00;
    file[4095] = 0x00;
    WriteBytes(dir / "upd.bin", file);
    ProgramSelection selection;
    ScriptedPrompter prompter;
    ASSERT_TRUE(SelectUpdateFile(dir / "upd.bin", &selection, prompter));
    EXPECT_EQ(selection.fields.device_name, "DEV02");
    EXPECT_EQ(selection.fields.version, "U2");
    ASSERT_EQ(selection.image.size(), 4096u);
    EXPECT_EQ(GetLe16(selection.image.data() + 4094), crc);
    EXPECT_EQ(selection.checksum,
              Sum(Bytes(file.begin(), file.end() - 2)) + (crc & 0xFF) + (crc >> 8));
}

TEST(ProgramFile, UpdateFileOfWrongSizeOrTagIsRefused) {
    TempDir dir;
    WriteBytes(dir / "short.bin", Bytes(4095, 0));
    WriteBytes(dir / "tag.bin", ProgramFile(4096, "APLI_X", "", ""));
    ProgramSelection selection;
    ScriptedPrompter prompter;
    EXPECT_FALSE(SelectUpdateFile(dir / "short.bin", &selection, prompter));
    EXPECT_FALSE(SelectUpdateFile(dir / "tag.bin", &selection, prompter));
    EXPECT_FALSE(SelectUpdateFile(dir / "missing.bin", &selection, prompter));
    ASSERT_EQ(prompter.prompts().size(), 3u);
    EXPECT_EQ(prompter.prompts()[0].message.text, kReadMessage);
    EXPECT_EQ(prompter.prompts()[1].message.text, kContentMessage);
    EXPECT_EQ(prompter.prompts()[2].message.text, kReadMessage);
    EXPECT_EQ(selection.image, Bytes(4096, 0xFF));
}

}  // namespace
}  // namespace kotar
