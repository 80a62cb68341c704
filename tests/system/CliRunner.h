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

// A kotar-cli run that was started and not yet waited for; its output goes to files of its own.
struct StartedCli {
    int pid = -1;
    std::filesystem::path capture;  // folder of its "out" and "err" files (removed by WaitCli)
};

// RunCli in two steps, so that several runs go at once: start them all, then wait for each.
StartedCli StartCli(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                    const std::filesystem::path& home);
CliRun WaitCli(const StartedCli& started);

}  // namespace kotar::test
