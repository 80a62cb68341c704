// SPDX-License-Identifier: GPL-3.0-or-later
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

// A program's command line before its arguments: the program (looked up on PATH when it names
// no folder) and what comes first, as in {"wine", "kotar-cli.exe"}.
using ProgramCommand = std::vector<std::string>;

// kotar-cli from the build folder ($KOTAR_TEST_BIN_DIR).
ProgramCommand BuiltCli();

// What a program started by a test reads as stdin: nothing, never the terminal of the test run.
inline const std::filesystem::path kNoInput = "/dev/null";

// A program started with the given arguments, in the folder cwd, with HOME set to home and
// stdin opened from input; its output is captured until Wait. Without a command, kotar-cli
// from the build folder.
class CliProcess {
public:
    CliProcess(const std::vector<std::string>& args, const std::filesystem::path& cwd,
               const std::filesystem::path& home, const std::filesystem::path& input = kNoInput)
        : CliProcess(BuiltCli(), args, cwd, home, input) {}
    CliProcess(const ProgramCommand& command, const std::vector<std::string>& args,
               const std::filesystem::path& cwd, const std::filesystem::path& home,
               const std::filesystem::path& input = kNoInput);
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

// Runs kotar-cli, or the program of command, to its end (see CliProcess).
CliRun RunCli(const std::vector<std::string>& args, const std::filesystem::path& cwd,
              const std::filesystem::path& home, const std::filesystem::path& input = kNoInput);
CliRun RunProgram(const ProgramCommand& command, const std::vector<std::string>& args,
                  const std::filesystem::path& cwd, const std::filesystem::path& home);

}  // namespace kotar::test
