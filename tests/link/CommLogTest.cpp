#include "link/CommLog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "CommLogLines.h"
#include "TempDir.h"
#include "common/Cp932.h"

namespace kotar {
namespace {

using test::ReadText;
using test::TempDir;
using test::WriteText;

TEST(CommLog, LinePadsEveryTimestampField) {
    EXPECT_EQ(FormatLogLine(LogTime{2016, 3, 9, 9, 5, 7, 42}, "タイムアウト 無応答"),
              "2016/03/09 09:05:07.042 タイムアウト 無応答");
}

TEST(CommLog, FirstLineCreatesOnlyTheCurrentFileInCp932WithCrLf) {
    TempDir dir;
    AppendLogLine(dir.path(), "BCCエラー");
    EXPECT_FALSE(std::filesystem::exists(dir / kPreviousLogName));
    const std::string content = ReadText(dir / kCurrentLogName);
    ASSERT_EQ(content.size(), 24u + Utf8ToCp932("BCCエラー").size() + 2u);
    EXPECT_EQ(content.substr(24), Utf8ToCp932("BCCエラー") + "\r\n");
    EXPECT_EQ(test::CommLogTexts(dir.path()), std::vector<std::string>{"BCCエラー"});
}

TEST(CommLog, RotatesOnlyAFileLargerThanTheLimit) {
    TempDir dir;
    const std::string full(kLogRotateLimitBytes, 'x');
    WriteText(dir / kCurrentLogName, full);
    // Exactly at the limit: appended to.
    AppendLogLine(dir.path(), "one");
    EXPECT_FALSE(std::filesystem::exists(dir / kPreviousLogName));
    const std::string grown = ReadText(dir / kCurrentLogName);
    EXPECT_GT(grown.size(), kLogRotateLimitBytes);
    // Above it: rotated, and the new file holds only the new line.
    AppendLogLine(dir.path(), "two");
    EXPECT_EQ(ReadText(dir / kPreviousLogName), grown);
    EXPECT_EQ(test::CommLogTexts(dir.path()), std::vector<std::string>{"two"});
}

TEST(CommLog, RotationReplacesAnOlderPreviousFile) {
    TempDir dir;
    WriteText(dir / kPreviousLogName, "old generation");
    const std::string big(kLogRotateLimitBytes + 1, 'y');
    WriteText(dir / kCurrentLogName, big);
    AppendLogLine(dir.path(), "new");
    EXPECT_EQ(ReadText(dir / kPreviousLogName), big);
    EXPECT_EQ(test::CommLogTexts(dir.path()), std::vector<std::string>{"new"});
}

TEST(CommLog, FailuresAreSilent) {
    TempDir dir;
    // The current file's name is taken by a folder: nothing can be written, nothing thrown.
    std::filesystem::create_directory(dir / kCurrentLogName);
    EXPECT_NO_THROW(AppendLogLine(dir.path(), "lost"));
    EXPECT_NO_THROW(AppendLogLine(dir / "missing" / "folder", "lost"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / kCurrentLogName));
}

TEST(CommLog, ExecutableFolderHoldsThisTest) {
    const std::filesystem::path folder = ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(std::filesystem::exists(folder / "link_tests") ||
                std::filesystem::exists(folder / "link_tests.exe"));
}

}  // namespace
}  // namespace kotar
