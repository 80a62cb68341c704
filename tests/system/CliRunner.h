#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TempDir.h"

namespace kotar::test {

// Result of one run of a built program.
struct CliRun {
    int exit_status = -1;  // -1 when it did not exit normally
    std::string out;
    std::string err;
};

// kotar-cli from the build folder ($KOTAR_TEST_BIN_DIR) started with the given arguments, in
// the folder cwd, with HOME set to home; its output is captured until Wait.
class CliProcess {
public:
    CliProcess(const std::vector<std::string>& args, const std::filesystem::path& cwd,
               const std::filesystem::path& home);
    ~CliProcess();
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    pid_t pid() const { return pid_; }
    // Waits for the program to end.
    CliRun Wait();

private:
    TempDir capture_;
    pid_t pid_ = -1;
};

// Runs kotar-cli to its end (see CliProcess).
CliRun RunCli(const std::vector<std::string>& args, const std::filesystem::path& cwd,
              const std::filesystem::path& home);

}  // namespace kotar::test
