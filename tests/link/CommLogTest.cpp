// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/CommLog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "CommLogLines.h"
#include "ScopedEnvironment.h"
#include "TempDir.h"
#include "common/Cp932.h"
#include "common/ProcessFolders.h"
#include "common/Utf8Path.h"
#include "link/SerialCom.h"

namespace kotar {
namespace {

using test::ReadText;
using test::ScopedEnvironment;
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

// The variable that moves the user's state folder, and that folder's name below it.
#ifdef _WIN32
constexpr const char* kStateBaseVariable = "LOCALAPPDATA";
constexpr const char* kStateFolderName = "KOTAR";
#else
constexpr const char* kStateBaseVariable = "XDG_STATE_HOME";
constexpr const char* kStateFolderName = "kotar";
#endif

#ifndef _WIN32
TEST(CommLogFolder, StateFolderFollowsXdgStateHomeElseTheHomeFolder) {
    ScopedEnvironment environment;
    environment.Set("HOME", "/home/installer");
    environment.Set("XDG_STATE_HOME", "/var/state-of-user");
    EXPECT_EQ(UserStateFolder(), std::filesystem::path("/var/state-of-user/kotar"));
    // Unset, empty or relative: the default below the home folder.
    for (const char* value : {static_cast<const char*>(nullptr), "", "relative/state"}) {
        environment.Set("XDG_STATE_HOME", value);
        EXPECT_EQ(UserStateFolder(), std::filesystem::path("/home/installer/.local/state/kotar"));
    }
}

#else
TEST(CommLogFolder, StateFolderFollowsLocalAppDataElseTheUserProfile) {
    ScopedEnvironment environment;
    environment.Set("USERPROFILE", "C:\\Users\\installer");
    environment.Set("LOCALAPPDATA", "D:\\Local");
    EXPECT_EQ(UserStateFolder(), std::filesystem::path(L"D:\\Local\\KOTAR"));
    environment.Set("LOCALAPPDATA", nullptr);
    EXPECT_EQ(UserStateFolder(),
              std::filesystem::path(L"C:\\Users\\installer\\AppData\\Local\\KOTAR"));
}
#endif

TEST(CommLogFolder, ExecutableFolderThatTakesNoFilesSendsTheLogToTheStateFolder) {
    TempDir dir;
    ScopedEnvironment environment;
    environment.Set(kStateBaseVariable, PathToUtf8(dir / "state").c_str());
    const std::filesystem::path exe = dir / "bin";
    std::filesystem::path asked;
    const auto check = [&asked](bool answer) {
        return [&asked, answer](const std::filesystem::path& folder) {
            asked = folder;
            return answer;
        };
    };
    EXPECT_EQ(ChooseCommLogFolder(exe, check(true)), exe);
    EXPECT_EQ(asked, exe);
    EXPECT_FALSE(std::filesystem::exists(dir / "state"));
    const std::filesystem::path fallback = ChooseCommLogFolder(exe, check(false));
    EXPECT_EQ(fallback, dir / "state" / kStateFolderName);
    EXPECT_TRUE(std::filesystem::is_directory(fallback));
    EXPECT_EQ(ChooseCommLogFolder({}, check(true)), fallback);  // executable not found
}

TEST(CommLogFolder, RealCheck_FolderThatCannotExistGoesToTheStateFolderWithTheSameLog) {
    TempDir dir;
    ScopedEnvironment environment;
    environment.Set(kStateBaseVariable, PathToUtf8(dir / "state").c_str());
    EXPECT_TRUE(FolderTakesNewFiles(dir.path()));
    // A folder below a plain file can be made by no one, root included.
    WriteText(dir / "file", "x");
    const std::filesystem::path impossible = dir / "file" / "bin";
    EXPECT_FALSE(FolderTakesNewFiles(impossible));
    EXPECT_FALSE(FolderTakesNewFiles(dir / "missing"));
    const std::filesystem::path folder = ChooseCommLogFolder(impossible, FolderTakesNewFiles);
    ASSERT_EQ(folder, dir / "state" / kStateFolderName);
    AppendLogLine(folder, "BCCエラー");
    EXPECT_EQ(test::CommLogTexts(folder), std::vector<std::string>{"BCCエラー"});
}

TEST(CommLogFolder, LinkWithoutAGivenFolderLogsBesideAnExecutableInAWritableFolder) {
    // The tests run from the build folder, which takes new files.
    EXPECT_EQ(SerialCom().log_folder(), ExecutableFolder());
    TempDir dir;
    LinkEnvironment given;
    given.log_folder = dir.path();
    EXPECT_EQ(SerialCom(given).log_folder(), dir.path());
}

}  // namespace
}  // namespace kotar
