// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "common/Prompter.h"

namespace kotar {

// Prompter of the command-line tool: prints every message to stderr and answers questions
// from the tool's options instead of asking (a command given on the command line is itself
// the user's confirmation). File dialogs answer with a path given in advance, if any.
class StderrPrompter : public Prompter {
public:
    explicit StderrPrompter(std::FILE* out = stderr, bool confirm = true)
        : out_(out), confirm_(confirm) {}

    using Prompter::ShowMessage;  // keep the numbered-message overloads visible
    MessageAnswer ShowMessage(const MessageRequest& request) override;
    std::optional<std::string> ChooseOpenFile(const FileDialogRequest& request) override;
    std::optional<std::string> ChooseSaveFile(const FileDialogRequest& request) override;
    std::optional<std::string> ChooseFolder(const FolderDialogRequest& request) override;

    // The path that the next file or folder dialog answers with (once).
    void SetNextPath(std::string path) { next_path_ = std::move(path); }

private:
    std::FILE* out_;
    bool confirm_;
    std::optional<std::string> next_path_;
};

}  // namespace kotar
