// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "CliPrompter.h"
#include "common/ProfileFile.h"
#include "config/Configuration.h"

namespace kotar::cli {

// Exit status of the tool.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Thrown by a command for a usage error (wrong argument count, unknown option).
struct UsageError {
    std::string message;
};

// What every command gets: the start directory, the global options and the configuration,
// loaded and corrected from MEVAN.INI in the start directory on first use.
class CliContext {
public:
    CliContext(std::filesystem::path start_directory, std::optional<std::string> work_override,
               std::optional<int> port_override, CliPrompter& prompter);

    CliPrompter& prompter() { return prompter_; }
    ProfileFile& ini() { return ini_; }
    const std::filesystem::path& start_directory() const { return start_directory_; }

    // The configuration, loaded once; --work replaces the work folder for this run only.
    const Configuration& config();
    // The work folder a load would give (--work, else CONFIG/PATH when it can be entered, else
    // the default folder), found without loading: nothing is written, created or asked.
    std::filesystem::path PeekWorkFolder() const;
    // --port, else CONFIG/PORT.
    int port();
    // True when progress should be drawn (stderr is a terminal).
    bool progress_on_terminal() const;
    // True when a question can be answered (stdin is a terminal).
    bool input_on_terminal() const;

private:
    std::filesystem::path start_directory_;
    std::optional<std::string> work_override_;
    std::optional<int> port_override_;
    CliPrompter& prompter_;
    ProfileFile ini_;
    std::optional<Configuration> config_;
};

using CommandFunction = std::function<int(CliContext&, const std::vector<std::string>&)>;

struct CommandInfo {
    std::string name;
    std::string usage;        // arguments, e.g. "NAME [--copy-from OTHER]"
    std::string description;  // one line
    CommandFunction run;
};

// Commands register themselves from their own source files with a static CommandRegistration.
std::vector<CommandInfo>& CommandRegistry();

struct CommandRegistration {
    explicit CommandRegistration(CommandInfo info) { CommandRegistry().push_back(std::move(info)); }
};

// Splits arguments into positionals and "--name value" options; a flag listed in `flags` takes
// no value. Unknown options are usage errors.
struct ParsedArguments {
    std::vector<std::string> positionals;
    std::vector<std::pair<std::string, std::string>> options;
    std::optional<std::string> Option(const std::string& name) const;
    bool Has(const std::string& name) const;
};
ParsedArguments ParseArguments(const std::vector<std::string>& args,
                               const std::vector<std::string>& value_options,
                               const std::vector<std::string>& flags = {});

}  // namespace kotar::cli
