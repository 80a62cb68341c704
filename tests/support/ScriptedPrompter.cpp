// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScriptedPrompter.h"

namespace kotar::test {

MessageAnswer ScriptedPrompter::ShowMessage(const MessageRequest& request) {
    Prompt prompt{Prompt::Kind::Message, request, {}, {}};
    prompts_.push_back(prompt);
    if (message_answers_.empty())
        return request.default_answer;
    MessageAnswer answer = message_answers_.front();
    message_answers_.pop_front();
    return answer;
}

std::optional<std::string> ScriptedPrompter::NextDialogAnswer() {
    if (dialog_answers_.empty())
        return std::nullopt;
    auto answer = dialog_answers_.front();
    dialog_answers_.pop_front();
    return answer;
}

std::optional<std::string> ScriptedPrompter::ChooseOpenFile(const FileDialogRequest& request) {
    prompts_.push_back(Prompt{Prompt::Kind::OpenFile, {}, request, {}});
    return NextDialogAnswer();
}

std::optional<std::string> ScriptedPrompter::ChooseSaveFile(const FileDialogRequest& request) {
    prompts_.push_back(Prompt{Prompt::Kind::SaveFile, {}, request, {}});
    return NextDialogAnswer();
}

std::optional<std::string> ScriptedPrompter::ChooseFolder(const FolderDialogRequest& request) {
    prompts_.push_back(Prompt{Prompt::Kind::Folder, {}, {}, request});
    return NextDialogAnswer();
}

std::vector<int> ScriptedPrompter::MessageIds() const {
    std::vector<int> ids;
    for (const Prompt& p : prompts_) {
        if (p.kind == Prompt::Kind::Message)
            ids.push_back(p.message.message_id);
    }
    return ids;
}

}  // namespace kotar::test
