// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the fuzz targets share: a prompter that answers nothing, input files in a private
// folder, and the stop of a target whose property does not hold.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/Prompter.h"

namespace kotar::fuzz {

// Answers every message with its default answer and every file or folder dialog with nothing.
class SilentPrompter : public Prompter {
public:
    using Prompter::ShowMessage;
    MessageAnswer ShowMessage(const MessageRequest& request) override {
        return request.default_answer;
    }
    std::optional<std::string> ChooseOpenFile(const FileDialogRequest&) override { return {}; }
    std::optional<std::string> ChooseSaveFile(const FileDialogRequest&) override { return {}; }
    std::optional<std::string> ChooseFolder(const FolderDialogRequest&) override { return {}; }
};

// A folder of this process alone (in memory where the system offers one), removed at exit.
const std::filesystem::path& ScratchFolder();

// Replaces the file name in the scratch folder with the bytes; its path.
std::filesystem::path WriteInput(std::string_view name, std::span<const std::uint8_t> bytes);

// Ends the process with the text when the condition does not hold, so that the fuzzer keeps
// the input and a regression run fails.
void Require(bool condition, const char* what);

}  // namespace kotar::fuzz
