// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "common/Prompter.h"

namespace kotar::test {

// A prompter for tests: records every prompt and replays prepared answers in order. A message
// box with no prepared answer takes its default answer; a file or folder dialog with no
// prepared answer is cancelled.
class ScriptedPrompter : public Prompter {
public:
    struct Prompt {
        enum class Kind { Message, OpenFile, SaveFile, Folder } kind;
        MessageRequest message;      // Kind::Message
        FileDialogRequest file;      // Kind::OpenFile, Kind::SaveFile
        FolderDialogRequest folder;  // Kind::Folder
    };

    void AnswerNextMessage(MessageAnswer answer) { message_answers_.push_back(answer); }
    void AnswerNextDialog(std::optional<std::string> path) { dialog_answers_.push_back(path); }

    using Prompter::ShowMessage;  // keep the numbered-message overloads visible
    MessageAnswer ShowMessage(const MessageRequest& request) override;
    std::optional<std::string> ChooseOpenFile(const FileDialogRequest& request) override;
    std::optional<std::string> ChooseSaveFile(const FileDialogRequest& request) override;
    std::optional<std::string> ChooseFolder(const FolderDialogRequest& request) override;

    const std::vector<Prompt>& prompts() const { return prompts_; }
    // Numbers of the numbered messages shown, in order (0 for literal texts).
    std::vector<int> MessageIds() const;
    void Clear() { prompts_.clear(); }

private:
    std::optional<std::string> NextDialogAnswer();

    std::vector<Prompt> prompts_;
    std::deque<MessageAnswer> message_answers_;
    std::deque<std::optional<std::string>> dialog_answers_;
};

}  // namespace kotar::test
