// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/DiskSpace.h"

#include <gtest/gtest.h>

#include "StoreFixtures.h"
#include "SystemFaults.h"
#include "TempDir.h"
#include "store/ShellFileOperations.h"

namespace kotar {
namespace {

using test::FakeSpaceSource;
using test::PutFile;
using test::ReadText;
using test::TempDir;

class DiskQuota : public ::testing::Test {
protected:
    bool Check(const std::string& disk, std::uint64_t total, std::uint64_t free) {
        ini_.WriteString("CONFIG", "DISK", disk);
        space_.figures = DiskSpace{total, free, free / 2};
        return CheckDiskQuota(dir_.path(), ini_, space_);
    }
    TempDir dir_;
    ProfileFile ini_{dir_ / "MEVAN.INI"};
    FakeSpaceSource space_;
};

TEST_F(DiskQuota, ZeroPercentAlwaysAllows) {
    EXPECT_TRUE(Check("0", 1'000'000, 0));
}

TEST_F(DiskQuota, HundredPercentNeedsTheTotalRoundedDownToHundreds) {
    EXPECT_FALSE(Check("100", 123'456, 123'399));
    EXPECT_TRUE(Check("100", 123'456, 123'400));
}

TEST_F(DiskQuota, TheTotalIsDividedBeforeItIsMultiplied) {
    // (199 / 100) * 50 = 50, where 199 * 50 / 100 would be 99.
    EXPECT_TRUE(Check("50", 199, 50));
    EXPECT_FALSE(Check("50", 199, 49));
    // Figures above 2^64 / 100 do not overflow.
    const std::uint64_t huge = 18'000'000'000'000'000'000ull;
    EXPECT_TRUE(Check("100", huge, huge));
}

TEST_F(DiskQuota, TheFreeBytesOfTheFileSystemCountNotTheUsersShare) {
    ini_.WriteString("CONFIG", "DISK", "10");
    space_.figures = DiskSpace{1000, 100, 0};
    EXPECT_TRUE(CheckDiskQuota(dir_.path(), ini_, space_));
}

TEST_F(DiskQuota, PercentIsCorrectedAndWrittenBack) {
    EXPECT_TRUE(Check("-1", 1000, 50));  // becomes 5: threshold 50
    EXPECT_EQ(ini_.GetString("CONFIG", "DISK", ""), "5");
    EXPECT_FALSE(Check("101", 1000, 49));
    EXPECT_EQ(ini_.GetString("CONFIG", "DISK", ""), "5");
    std::filesystem::remove(dir_ / "MEVAN.INI");
    space_.figures = DiskSpace{1000, 49, 49};
    EXPECT_FALSE(CheckDiskQuota(dir_.path(), ini_, space_));  // missing key: 5
    EXPECT_EQ(ReadText(dir_ / "MEVAN.INI"), "[CONFIG]\r\nDISK=5\r\n");
}

TEST_F(DiskQuota, UnknownFiguresDoNotBlock) {
    ini_.WriteString("CONFIG", "DISK", "100");
    space_.figures.reset();
    EXPECT_TRUE(CheckDiskQuota(dir_.path(), ini_, space_));
    EXPECT_TRUE(HasFreeSpace(dir_.path(), 1, space_));
}

TEST(FreeSpace, CountsTheBytesAvailableToTheUser) {
    FakeSpaceSource space;
    space.figures = DiskSpace{10'000'000'000, 9'000'000'000, kNewPropertyMinFreeBytes - 1};
    EXPECT_FALSE(HasFreeSpace("/", kNewPropertyMinFreeBytes, space));
    space.figures->available_bytes = kNewPropertyMinFreeBytes;
    EXPECT_TRUE(HasFreeSpace("/", kNewPropertyMinFreeBytes, space));
    EXPECT_EQ(kNewPropertyMinFreeBytes, 500ull * 1024 * 1024);
}

TEST(FreeSpace, FileSystemSourceReportsTheWorkFoldersFileSystem) {
    TempDir dir;
    FilesystemSpaceSource source;
    auto figures = source.Query(dir.path());
    ASSERT_TRUE(figures.has_value());
    EXPECT_GT(figures->total_bytes, 0u);
    EXPECT_LE(figures->free_bytes, figures->total_bytes);
    EXPECT_FALSE(source.Query(dir / "missing").has_value());
}

TEST(ShellFileOperations, CopyTakesEverythingAndDeleteRemovesIt) {
    TempDir dir;
    PutFile(dir / "src" / "01.wav", "wav");
    PutFile(dir / "src" / "TEMP" / "read.snd", "snd");
    std::filesystem::create_directories(dir / "src" / "TEMP" / "empty");
    std::filesystem::create_directory(dir / "dst");
    ASSERT_TRUE(ShellCopy(dir / "src", dir / "dst"));
    EXPECT_EQ(ReadText(dir / "dst" / "01.wav"), "wav");
    EXPECT_EQ(ReadText(dir / "dst" / "TEMP" / "read.snd"), "snd");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "dst" / "TEMP" / "empty"));

    std::filesystem::create_directory(dir / "none");
    std::filesystem::create_directory(dir / "dst2");
    EXPECT_TRUE(ShellCopy(dir / "none", dir / "dst2"));      // nothing to copy
    EXPECT_FALSE(ShellCopy(dir / "missing", dir / "dst2"));  // no source
    EXPECT_FALSE(ShellCopy(dir / "src", dir / "dst"));       // the files are there already

    ASSERT_TRUE(ShellDeleteContents(dir / "dst"));
    EXPECT_TRUE(std::filesystem::is_empty(dir / "dst"));
    ASSERT_TRUE(ShellDelete(dir / "src"));
    EXPECT_FALSE(std::filesystem::exists(dir / "src"));
    EXPECT_FALSE(ShellDelete(dir / "src"));
    EXPECT_FALSE(ShellDeleteContents(dir / "src"));
}

TEST(ShellFileOperations, ASpecialFileAbortsTheCopy) {
    TempDir dir;
    PutFile(dir / "src" / "01.wav", "wav");
    if (!test::MakeSpecialFile(dir / "src" / "pipe"))
        GTEST_SKIP() << "no special files in the file system of this system";
    std::filesystem::create_directory(dir / "dst");
    EXPECT_FALSE(ShellCopy(dir / "src", dir / "dst"));
}

}  // namespace
}  // namespace kotar
