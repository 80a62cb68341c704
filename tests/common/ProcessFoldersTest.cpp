// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ProcessFolders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "TempDir.h"

namespace kotar {
namespace {

TEST(ProcessFolders, TheExecutableFolderHoldsThisProgram) {
    const std::filesystem::path folder = ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    const std::vector<std::string> names = test::EntryNames(folder);
    EXPECT_TRUE(std::any_of(names.begin(), names.end(), [](const std::string& name) {
        return name.starts_with("common_tests");
    }));
}

TEST(ProcessFolders, TheDefaultWorkFolderIsMevanData) {
    const std::filesystem::path folder = DefaultWorkFolder();
    EXPECT_TRUE(folder.is_absolute());
    EXPECT_EQ(folder.filename(), "DATA");
    EXPECT_EQ(folder.parent_path().filename(), "MEVAN");
}

TEST(ProcessFolders, TheUserIdentityIsStableAndFitsAName) {
    const std::string identity = UserIdentity();
    ASSERT_FALSE(identity.empty());
    EXPECT_EQ(UserIdentity(), identity);
    EXPECT_EQ(identity.find_first_of("/\\: "), std::string::npos) << identity;
}

TEST(ProcessFolders, AStartFolderThatTakesFilesHoldsTheSettings) {
    test::TempDir start;
    EXPECT_EQ(SettingsFolder(start.path()), start.path());
}

}  // namespace
}  // namespace kotar
