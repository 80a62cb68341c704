// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliCommand.h"

#include <unistd.h>

#include <algorithm>

#include "common/Utf8Path.h"

namespace kotar::cli {

CliContext::CliContext(std::filesystem::path start_directory,
                       std::optional<std::string> work_override, std::optional<int> port_override,
                       CliPrompter& prompter)
    : start_directory_(std::move(start_directory)),
      work_override_(std::move(work_override)),
      port_override_(port_override),
      prompter_(prompter),
      ini_(ConfigurationFilePath(start_directory_)) {}

const Configuration& CliContext::config() {
    if (!config_) {
        config_ = LoadConfiguration(ini_, prompter_, DefaultWorkFolder());
        if (work_override_)
            config_->work_folder = *work_override_;
    }
    return *config_;
}

std::filesystem::path CliContext::PeekWorkFolder() const {
    if (work_override_)
        return PathFromUtf8(*work_override_);
    const std::optional<std::string> configured = ReadWorkFolderSetting(ini_);
    if (configured && CanEnterFolder(PathFromUtf8(*configured)))
        return PathFromUtf8(*configured);
    return DefaultWorkFolder();
}

int CliContext::port() {
    return port_override_ ? *port_override_ : ReadPortNumber(ini_);
}

bool CliContext::progress_on_terminal() const {
    return ::isatty(STDERR_FILENO) == 1;
}

bool CliContext::input_on_terminal() const {
    return ::isatty(STDIN_FILENO) == 1;
}

std::vector<CommandInfo>& CommandRegistry() {
    static std::vector<CommandInfo> registry;
    return registry;
}

std::optional<std::string> ParsedArguments::Option(const std::string& name) const {
    for (const auto& [key, value] : options) {
        if (key == name)
            return value;
    }
    return std::nullopt;
}

bool ParsedArguments::Has(const std::string& name) const {
    return Option(name).has_value();
}

ParsedArguments ParseArguments(const std::vector<std::string>& args,
                               const std::vector<std::string>& value_options,
                               const std::vector<std::string>& flags) {
    ParsedArguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() > 2 && arg.rfind("--", 0) == 0) {
            std::string name = arg.substr(2);
            if (std::find(flags.begin(), flags.end(), name) != flags.end()) {
                parsed.options.emplace_back(name, "");
            } else if (std::find(value_options.begin(), value_options.end(), name) !=
                       value_options.end()) {
                if (i + 1 >= args.size())
                    throw UsageError{"option --" + name + " needs a value"};
                parsed.options.emplace_back(name, args[++i]);
            } else {
                throw UsageError{"unknown option " + arg};
            }
        } else {
            parsed.positionals.push_back(arg);
        }
    }
    return parsed;
}

}  // namespace kotar::cli
