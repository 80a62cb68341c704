// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ProfileFile.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "TempDir.h"

namespace kotar {
namespace {

using test::ReadText;
using test::TempDir;
using test::WriteText;

TEST(ProfileFile, MissingFileSectionOrKeyGivesTheDefault) {
    TempDir dir;
    ProfileFile missing(dir / "NONE.INI");
    EXPECT_EQ(missing.GetString("CONFIG", "PATH", "dflt"), "dflt");
    EXPECT_EQ(missing.GetInt("CONFIG", "PORT", 7), 7u);
    EXPECT_FALSE(std::filesystem::exists(dir / "NONE.INI"));

    WriteText(dir / "A.INI", "[CONFIG]\r\nPORT=3\r\nEMPTY=\r\n");
    ProfileFile ini(dir / "A.INI");
    EXPECT_EQ(ini.GetString("OTHER", "PORT", "x"), "x");
    EXPECT_EQ(ini.GetString("CONFIG", "DISK", "x"), "x");
    EXPECT_EQ(ini.GetInt("CONFIG", "DISK", 5), 5u);
    // A key that is there with nothing after "=" reads as empty text, but as the default
    // integer.
    EXPECT_EQ(ini.GetString("CONFIG", "EMPTY", "x"), "");
    EXPECT_EQ(ini.GetInt("CONFIG", "EMPTY", 9), 9u);
    EXPECT_EQ(ini.GetInt("CONFIG", "PORT", 1), 3u);
}

TEST(ProfileFile, AKeyOfALaterSectionIsNotTheEarlierSectionsKey) {
    TempDir dir;
    WriteText(dir / "A.INI", "[CONFIG]\r\nPATH=/w\r\n[PORTS]\r\nPORT=3\r\n");
    ProfileFile ini(dir / "A.INI");
    EXPECT_EQ(ini.GetValue("CONFIG", "PORT"), std::nullopt);
    EXPECT_EQ(ini.Read().GetValue("CONFIG", "PORT"), std::nullopt);
    EXPECT_EQ(ini.GetInt("CONFIG", "PORT", 7), 7u);
    EXPECT_EQ(ini.GetKeys("CONFIG"), std::vector<std::string>{"PATH"});
    // Written, it joins its own section; the later one keeps its key.
    ASSERT_TRUE(ini.WriteInt("CONFIG", "PORT", 1));
    EXPECT_EQ(ReadText(dir / "A.INI"), "[CONFIG]\r\nPATH=/w\r\nPORT=1\r\n[PORTS]\r\nPORT=3\r\n");
}

TEST(ProfileFile, IntegersAreReadAsTheProfileFunctionsReadThem) {
    EXPECT_EQ(ProfileFile::ParseInt("-1"), 0xFFFFFFFFu);
    EXPECT_EQ(ProfileFile::ParseInt("2s"), 2u);
    EXPECT_EQ(ProfileFile::ParseInt("0x1F"), 31u);
    EXPECT_EQ(ProfileFile::ParseInt("0X10"), 16u);
    EXPECT_EQ(ProfileFile::ParseInt("  +42"), 42u);
    EXPECT_EQ(ProfileFile::ParseInt("abc"), 0u);
    EXPECT_EQ(ProfileFile::ParseInt("-0x2"), 0xFFFFFFFEu);
    EXPECT_EQ(ProfileFile::ParseInt("4294967297"), 1u);  // wraps in 32 bits

    TempDir dir;
    WriteText(dir / "A.INI", "[CONFIG]\r\nDISK=-1\r\nRECDELAY=2s\r\nPORT = 0x0A \r\n");
    ProfileFile ini(dir / "A.INI");
    EXPECT_EQ(ini.GetInt("CONFIG", "DISK", 5), 0xFFFFFFFFu);
    EXPECT_EQ(ini.GetInt("CONFIG", "RECDELAY", 3), 2u);
    EXPECT_EQ(ini.GetInt("CONFIG", "PORT", 1), 10u);
}

TEST(ProfileFile, ValuesLoseSurroundingBlanksAndOnePairOfQuotes) {
    TempDir dir;
    WriteText(dir / "A.INI", "[S]\r\na =  spaced value  \r\nb=\"quoted\"\r\nc='single'\r\n");
    ProfileFile ini(dir / "A.INI");
    EXPECT_EQ(ini.GetString("S", "a", ""), "spaced value");
    EXPECT_EQ(ini.GetString("S", "b", ""), "quoted");
    EXPECT_EQ(ini.GetString("S", "c", ""), "single");
}

TEST(ProfileFile, FirstWriteCreatesTheFileWithCrLfLines) {
    TempDir dir;
    ProfileFile ini(dir / "NEW.INI");
    ASSERT_TRUE(ini.WriteString("CONFIG", "PATH", "/w"));
    ASSERT_TRUE(ini.WriteInt("CONFIG", "PORT", 1));
    ASSERT_TRUE(ini.WriteString("VOICE1", "name", "x"));
    EXPECT_EQ(ReadText(dir / "NEW.INI"), "[CONFIG]\r\nPATH=/w\r\nPORT=1\r\n[VOICE1]\r\nname=x\r\n");
}

TEST(ProfileFile, NewKeyGoesToTheEndOfItsSectionAndEveryOtherLineStays) {
    TempDir dir;
    const std::string before =
        "; comment line\r\n"
        "[CONFIG]\r\n"
        "PATH = /old\r\n"
        "Odd line without equals\r\n"
        "\r\n"
        "[VOICE1]\r\n"
        "name=keep\r\n";
    WriteText(dir / "A.INI", before);
    ProfileFile ini(dir / "A.INI");
    ASSERT_TRUE(ini.WriteInt("CONFIG", "DISK", 5));
    EXPECT_EQ(ReadText(dir / "A.INI"),
              "; comment line\r\n"
              "[CONFIG]\r\n"
              "PATH = /old\r\n"
              "Odd line without equals\r\n"
              "DISK=5\r\n"
              "\r\n"
              "[VOICE1]\r\n"
              "name=keep\r\n");
    // Replacing a value rewrites only its own line.
    ASSERT_TRUE(ini.WriteString("VOICE1", "name", "new"));
    EXPECT_EQ(ReadText(dir / "A.INI"),
              "; comment line\r\n"
              "[CONFIG]\r\n"
              "PATH = /old\r\n"
              "Odd line without equals\r\n"
              "DISK=5\r\n"
              "\r\n"
              "[VOICE1]\r\n"
              "name=new\r\n");
}

TEST(ProfileFile, NamesMatchWithoutRegardToLetterCase) {
    TempDir dir;
    WriteText(dir / "A.INI", "[Config]\r\nPath=/x\r\n");
    ProfileFile ini(dir / "A.INI");
    EXPECT_EQ(ini.GetString("CONFIG", "PATH", ""), "/x");
    EXPECT_EQ(ini.GetString("config", "path", ""), "/x");
    ASSERT_TRUE(ini.WriteString("CONFIG", "PATH", "/y"));
    // The key keeps its spelling in the file; no second section or key appears.
    EXPECT_EQ(ReadText(dir / "A.INI"), "[Config]\r\nPath=/y\r\n");
}

TEST(ProfileFile, TextIsStoredAsCp932AndReadBackAsUtf8) {
    TempDir dir;
    ProfileFile ini(dir / "A.INI");
    ASSERT_TRUE(ini.WriteString("VOICE1", "comment", "音声フレーズＡ"));
    EXPECT_EQ(ReadText(dir / "A.INI"),
              "[VOICE1]\r\ncomment="
              "\x89\xb9\x90\xba\x83\x74\x83\x8c\x81\x5b\x83\x59\x82\x60"
              "\r\n");
    EXPECT_EQ(ini.GetString("VOICE1", "comment", ""), "音声フレーズＡ");
    // A cp932 second byte that is a backslash ("ソ" = 83 5C) does not disturb anything.
    WriteText(dir / "B.INI", "[S]\r\nk=\x83\x5c\r\n");
    EXPECT_EQ(ProfileFile(dir / "B.INI").GetString("S", "k", ""), "ソ");
}

TEST(ProfileFile, LfFilesAreReadAndTheirLinesKept) {
    TempDir dir;
    WriteText(dir / "A.INI", "[CONFIG]\nPATH=/lf\nPORT=2");
    ProfileFile ini(dir / "A.INI");
    EXPECT_EQ(ini.GetString("CONFIG", "PATH", ""), "/lf");
    EXPECT_EQ(ini.GetInt("CONFIG", "PORT", 1), 2u);
    ASSERT_TRUE(ini.WriteInt("CONFIG", "DISK", 5));
    EXPECT_EQ(ReadText(dir / "A.INI"), "[CONFIG]\nPATH=/lf\nPORT=2\r\nDISK=5\r\n");
    EXPECT_EQ(ini.GetKeys("config"), (std::vector<std::string>{"PATH", "PORT", "DISK"}));
}

TEST(ProfileFile, WriteToAReadOnlyFileFailsAndChangesNothing) {
    TempDir dir;
    WriteText(dir / "A.INI", "[S]\r\nk=1\r\n");
    std::filesystem::permissions(
        dir / "A.INI", std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    ProfileFile ini(dir / "A.INI");
    EXPECT_FALSE(ini.WriteString("S", "k", "2"));
    EXPECT_EQ(ReadText(dir / "A.INI"), "[S]\r\nk=1\r\n");
}

TEST(ProfileFile, ALineBreakIsNeverWritten) {
    TempDir dir;
    ProfileFile ini(dir / "A.INI");
    EXPECT_FALSE(ini.WriteString("CONFIG", "PATH", "/a\nb"));
    EXPECT_FALSE(std::filesystem::exists(dir / "A.INI"));
    WriteText(dir / "A.INI", "[CONFIG]\r\nPATH=/a\r\n");
    EXPECT_FALSE(ini.WriteString("CONFIG", "PATH", "/a\r[X]"));
    EXPECT_FALSE(ini.WriteString("CONFIG", "K\nEY", "1"));
    EXPECT_FALSE(ini.WriteString("CON\rFIG", "KEY", "1"));
    EXPECT_FALSE(ini.WriteStringIfUnchanged("CONFIG", "PATH", "/a", "/b\n"));
    EXPECT_EQ(ReadText(dir / "A.INI"), "[CONFIG]\r\nPATH=/a\r\n");
    EXPECT_TRUE(ProfileFile::HasLineBreak("x\r"));
    EXPECT_FALSE(ProfileFile::HasLineBreak("/home/x y"));
}

TEST(ProfileFile, AConditionalWriteKeepsWhatChangedSinceItWasRead) {
    TempDir dir;
    WriteText(dir / "A.INI", "[CONFIG]\r\nPORT=3\r\n");
    ProfileFile ini(dir / "A.INI");
    EXPECT_EQ(ini.GetValue("CONFIG", "PORT"), std::optional<std::string>("3"));
    EXPECT_EQ(ini.GetValue("CONFIG", "DISK"), std::nullopt);
    EXPECT_FALSE(ini.WriteStringIfUnchanged("CONFIG", "PORT", "2", "1"));  // read 2, now 3
    EXPECT_FALSE(ini.WriteStringIfUnchanged("CONFIG", "PORT", std::nullopt, "1"));
    EXPECT_FALSE(ini.WriteStringIfUnchanged("CONFIG", "DISK", "5", "6"));
    EXPECT_EQ(ReadText(dir / "A.INI"), "[CONFIG]\r\nPORT=3\r\n");
    EXPECT_TRUE(ini.WriteStringIfUnchanged("CONFIG", "PORT", "3", "4"));
    EXPECT_TRUE(ini.WriteStringIfUnchanged("CONFIG", "DISK", std::nullopt, "5"));
    EXPECT_EQ(ReadText(dir / "A.INI"), "[CONFIG]\r\nPORT=4\r\nDISK=5\r\n");
    EXPECT_TRUE(std::filesystem::exists(dir / "A.INI.lock"));
}

// Writer w stores keys K<w>_0 .. K<w>_24, each with its own value, in a file all writers share;
// each has its own ProfileFile, as separate copies of the program have.
void WriteKeys(const std::filesystem::path& path, int writer) {
    ProfileFile ini(path);
    for (int k = 0; k < 25; ++k) {
        const std::string key = "K" + std::to_string(writer) + "_" + std::to_string(k);
        ini.WriteString(k % 2 ? "ODD" : "EVEN", key, key + "v");
    }
}

TEST(ProfileFile, WritersAtOnceLoseNoKey) {
    TempDir dir;
    std::vector<std::thread> writers;
    for (int w = 0; w < 4; ++w)
        writers.emplace_back(WriteKeys, dir / "MEVAN.INI", w);
    for (std::thread& writer : writers)
        writer.join();
    ProfileFile ini(dir / "MEVAN.INI");
    for (int w = 0; w < 4; ++w) {
        for (int k = 0; k < 25; ++k) {
            const std::string key = "K" + std::to_string(w) + "_" + std::to_string(k);
            EXPECT_EQ(ini.GetString(k % 2 ? "ODD" : "EVEN", key, "lost"), key + "v");
        }
    }
}

}  // namespace
}  // namespace kotar
