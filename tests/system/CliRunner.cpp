// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliRunner.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

namespace kotar::test {

ProgramCommand BuiltCli() {
    const char* bin_dir = std::getenv("KOTAR_TEST_BIN_DIR");
    if (bin_dir == nullptr)
        throw std::runtime_error("KOTAR_TEST_BIN_DIR is not set");
    return {(std::filesystem::path(bin_dir) / "kotar-cli").string()};
}

CliProcess::CliProcess(const ProgramCommand& command, const std::vector<std::string>& args,
                       const std::filesystem::path& cwd, const std::filesystem::path& home,
                       const std::filesystem::path& input) {
    const std::string out_path = (capture_ / "out").string();
    const std::string err_path = (capture_ / "err").string();

    std::vector<std::string> argv_text = command;
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argv_text)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_ = ::fork();
    if (pid_ < 0)
        throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        int out = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int in = ::open(input.c_str(), O_RDWR | O_NOCTTY);
        if (out < 0 || err < 0 || in < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 ||
            ::dup2(err, 2) < 0 || ::chdir(cwd.c_str()) != 0 ||
            ::setenv("HOME", home.c_str(), 1) != 0) {
            ::_exit(127);
        }
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
}

CliProcess::~CliProcess() {
    // A test that ended early leaves no program behind.
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        Wait();
    }
}

CliRun CliProcess::Wait() {
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    CliRun run;
    run.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadText(capture_ / "out");
    run.err = ReadText(capture_ / "err");
    return run;
}

CliRun RunCli(const std::vector<std::string>& args, const std::filesystem::path& cwd,
              const std::filesystem::path& home, const std::filesystem::path& input) {
    return CliProcess(args, cwd, home, input).Wait();
}

CliRun RunProgram(const ProgramCommand& command, const std::vector<std::string>& args,
                  const std::filesystem::path& cwd, const std::filesystem::path& home) {
    return CliProcess(command, args, cwd, home).Wait();
}

}  // namespace kotar::test
