// SPDX-License-Identifier: GPL-3.0-or-later
// Every program of the package answers --version with its name and the build's version, then
// the licence notice, without starting anything else (the desktop program needs no display).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "CliRunner.h"
#include "TempDir.h"

namespace kotar {
namespace {

std::vector<std::string> BuiltPrograms() {
    std::istringstream names(KOTAR_PACKAGE_PROGRAMS);
    std::vector<std::string> programs;
    for (std::string name; names >> name;)
        programs.push_back(name);
    return programs;
}

class ProgramVersion : public ::testing::TestWithParam<std::string> {};

TEST_P(ProgramVersion, AnswersWithTheBuildsVersionAndTheLicence) {
    const std::string program = GetParam();
    test::TempDir dir;
    const test::CliRun run = test::RunProgram(
        {(std::filesystem::path(std::getenv("KOTAR_TEST_BIN_DIR")) / program).string()},
        {"--version"}, dir.path(), dir.path());
    EXPECT_EQ(run.exit_status, 0);
    const std::string notice =
        "Copyright (C) 2026 KOTAR developers\n"
        "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
        "This is free software: you are free to change and redistribute it.\n"
        "There is NO WARRANTY, to the extent permitted by law.\n";
    EXPECT_EQ(run.out, program + " " + KOTAR_VERSION_TEXT + "\n" + notice);
    EXPECT_EQ(run.err, "");
    // Nothing else ran: no MEVAN.INI was written in the start folder.
    EXPECT_FALSE(std::filesystem::exists(dir / "MEVAN.INI"));
}

INSTANTIATE_TEST_SUITE_P(Package, ProgramVersion, ::testing::ValuesIn(BuiltPrograms()),
                         [](const auto& param_info) {
                             std::string name = param_info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
}  // namespace kotar
