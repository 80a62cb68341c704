// SPDX-License-Identifier: GPL-3.0-or-later
// kotar-cli: the operations of the desktop program without windows, for scripts, service
// vans and tests.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "CliCommand.h"
#include "ProcessArguments.h"
#include "common/ProfileFile.h"
#include "common/ProgramVersion.h"
#include "common/UserAbort.h"
#include "common/Utf8Path.h"

namespace kotar::cli {
namespace {

void PrintHelp(std::FILE* out) {
    std::fprintf(out,
                 "Usage: kotar-cli [--work DIR] [--port N] COMMAND [ARGUMENTS]\n"
                 "\n"
                 "Prepares the phrases of the notification device and transfers them, as the\n"
                 "desktop program does. MEVAN.INI in the current directory is loaded and\n"
                 "corrected first, exactly as the desktop program does.\n"
                 "\n"
                 "Global options:\n"
                 "  --work DIR   use DIR as the work folder for this run (not written)\n"
                 "  --port N     use COM port N for this run (not written)\n"
                 "  --help       show this text (after a command: that command's usage)\n"
                 "  --version    show the version and the licence\n"
                 "\n"
                 "Commands:\n");
    std::vector<CommandInfo> commands = CommandRegistry();
    std::sort(commands.begin(), commands.end(),
              [](const CommandInfo& a, const CommandInfo& b) { return a.name < b.name; });
    for (const CommandInfo& c : commands) {
        std::string head = c.name + (c.usage.empty() ? "" : " " + c.usage);
        std::fprintf(out, "  %s\n      %s\n", head.c_str(), c.description.c_str());
    }
    std::fprintf(out,
                 "\nExit status: 0 success, 1 failure, 2 usage error.\n"
                 "Messages and status texts are printed to stderr as the dialogs show them.\n"
                 "SIGINT (Ctrl+C) or SIGTERM during a device command stops its transfer after\n"
                 "the current exchange: nothing more is sent (a stopped write sends no end\n"
                 "request, so the device discards it), a stopped read saves nothing, the\n"
                 "status reads \"... 中止\" and the exit status is 1.\n");
}

int Run(int argc, char** argv) {
    PrepareConsole();
    const std::vector<std::string> args = ProcessArguments(argc, argv);
    std::optional<std::string> work;
    std::optional<int> port;
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            PrintHelp(stdout);
            return kExitSuccess;
        }
        if (a == "--version") {
            std::fputs(VersionNotice("kotar-cli").c_str(), stdout);
            return kExitSuccess;
        }
        if (a == "--work" || a == "--port") {
            if (i + 1 >= args.size()) {
                std::fprintf(stderr, "kotar-cli: %s needs a value\n", a.c_str());
                return kExitUsage;
            }
            const std::string& value = args[++i];
            if (a == "--work") {
                if (ProfileFile::HasLineBreak(value)) {
                    std::fprintf(stderr,
                                 "kotar-cli: --work: a path with a line break (CR or LF) cannot be "
                                 "used\n");
                    return kExitUsage;
                }
                work =
                    PathToUtf8(std::filesystem::absolute(PathFromUtf8(value)).lexically_normal());
                // A trailing separator goes, except that of a root ("/", "C:\\").
                if ((work->back() == '/' || work->back() == '\\') &&
                    PathFromUtf8(*work).has_relative_path())
                    work->pop_back();
            } else {
                try {
                    std::size_t used = 0;
                    port = std::stoi(value, &used);
                    if (used != value.size())
                        throw std::invalid_argument(value);
                } catch (const std::exception&) {
                    std::fprintf(stderr, "kotar-cli: --port needs a number\n");
                    return kExitUsage;
                }
            }
            continue;
        }
        break;
    }
    if (i >= args.size()) {
        PrintHelp(stderr);
        return kExitUsage;
    }
    const std::string name = args[i];
    const auto& registry = CommandRegistry();
    auto it = std::find_if(registry.begin(), registry.end(),
                           [&](const CommandInfo& c) { return c.name == name; });
    if (it == registry.end()) {
        std::fprintf(stderr, "kotar-cli: unknown command '%s' (see --help)\n", name.c_str());
        return kExitUsage;
    }
    std::vector<std::string> command_args(args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                          args.end());
    if (std::find(command_args.begin(), command_args.end(), "--help") != command_args.end()) {
        std::printf("Usage: kotar-cli %s %s\n  %s\n", it->name.c_str(), it->usage.c_str(),
                    it->description.c_str());
        return kExitSuccess;
    }
    CliPrompter prompter;
    CliContext context(std::filesystem::current_path(), work, port, prompter);
    try {
        return it->run(context, command_args);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "kotar-cli %s: %s\nUsage: kotar-cli %s %s\n", name.c_str(),
                     e.message.c_str(), it->name.c_str(), it->usage.c_str());
        return kExitUsage;
    } catch (const UserAbort&) {
        // The message has been printed already.
        return kExitFailure;
    } catch (const std::exception& e) {
        // Anything unforeseen ends the command with a failure, not with a crash.
        std::fprintf(stderr, "kotar-cli %s: %s\n", name.c_str(), e.what());
        return kExitFailure;
    }
}

}  // namespace
}  // namespace kotar::cli

int main(int argc, char** argv) {
    return kotar::cli::Run(argc, argv);
}
