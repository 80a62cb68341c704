// SPDX-License-Identifier: GPL-3.0-or-later
#include <windows.h>
// clang-format off
#include <shlobj.h>
// clang-format on

#include <gtest/gtest.h>

#include "common/ProcessFolders.h"

namespace kotar {
namespace {

// The installer puts the program in the system's program folder and starts it there; a user
// may not write there, so MEVAN.INI goes to the user's state folder, whatever the folder's
// permissions say this time.
TEST(SettingsFolder, AProgramFolderSendsTheSettingsToTheUsersStateFolder) {
    PWSTR program_files = nullptr;
    ASSERT_TRUE(
        SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_ProgramFiles, 0, nullptr, &program_files)));
    const std::filesystem::path base = program_files;
    ::CoTaskMemFree(program_files);

    EXPECT_EQ(SettingsFolder(base / L"KOTAR"), UserStateFolder());
    EXPECT_TRUE(std::filesystem::is_directory(UserStateFolder()));
    // Letter case does not count in Windows paths.
    std::wstring upper = (base / L"KOTAR").wstring();
    ::CharUpperW(upper.data());
    EXPECT_EQ(SettingsFolder(upper), UserStateFolder());
}

}  // namespace
}  // namespace kotar
