#include "CliRunner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "TempDir.h"

namespace kotar::test {

CliRun RunCli(const std::vector<std::string>& args, const std::filesystem::path& cwd,
              const std::filesystem::path& home) {
    return WaitCli(StartCli(args, cwd, home));
}

StartedCli StartCli(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                    const std::filesystem::path& home) {
    const char* bin_dir = std::getenv("KOTAR_TEST_BIN_DIR");
    if (bin_dir == nullptr)
        throw std::runtime_error("KOTAR_TEST_BIN_DIR is not set");
    const std::string program = (std::filesystem::path(bin_dir) / "kotar-cli").string();
    std::string capture = (std::filesystem::temp_directory_path() / "kotar-cli-XXXXXX").string();
    if (::mkdtemp(capture.data()) == nullptr)
        throw std::runtime_error("cannot create a capture folder");
    const std::string out_path = capture + "/out";
    const std::string err_path = capture + "/err";

    std::vector<std::string> argv_text{program};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argv_text)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = ::fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        int out = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 ||
            ::chdir(cwd.c_str()) != 0 || ::setenv("HOME", home.c_str(), 1) != 0) {
            ::_exit(127);
        }
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    return StartedCli{pid, capture};
}

CliRun WaitCli(const StartedCli& started) {
    int status = 0;
    while (::waitpid(started.pid, &status, 0) < 0) {
    }
    CliRun run;
    run.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadText(started.capture / "out");
    run.err = ReadText(started.capture / "err");
    std::error_code ec;
    std::filesystem::remove_all(started.capture, ec);
    return run;
}

}  // namespace kotar::test
