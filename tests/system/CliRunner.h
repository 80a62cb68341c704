#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kotar::test {

// Result of one run of a built program.
struct CliRun {
    int exit_status = -1;  // -1 when it did not exit normally
    std::string out;
    std::string err;
};

// Runs kotar-cli from the build folder ($KOTAR_TEST_BIN_DIR) with the given arguments, in the
// folder cwd, with HOME set to home.
CliRun RunCli(const std::vector<std::string>& args, const std::filesystem::path& cwd,
              const std::filesystem::path& home);

}  // namespace kotar::test
