// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/StderrPrompter.h"

#include <utility>

namespace kotar {

MessageAnswer StderrPrompter::ShowMessage(const MessageRequest& request) {
    if (!request.caption.empty()) {
        std::fprintf(out_, "%s: ", request.caption.c_str());
    }
    std::fprintf(out_, "%s\n", request.text.c_str());
    std::fflush(out_);
    switch (request.buttons) {
        case MessageButtons::Ok:
            return MessageAnswer::Ok;
        case MessageButtons::OkCancel:
            return confirm_ ? MessageAnswer::Ok : MessageAnswer::Cancel;
        case MessageButtons::YesNo:
        case MessageButtons::YesNoCancel:
            return confirm_ ? MessageAnswer::Yes : MessageAnswer::No;
    }
    return MessageAnswer::Cancel;
}

std::optional<std::string> StderrPrompter::ChooseOpenFile(const FileDialogRequest&) {
    return std::exchange(next_path_, std::nullopt);
}

std::optional<std::string> StderrPrompter::ChooseSaveFile(const FileDialogRequest&) {
    return std::exchange(next_path_, std::nullopt);
}

std::optional<std::string> StderrPrompter::ChooseFolder(const FolderDialogRequest&) {
    return std::exchange(next_path_, std::nullopt);
}

}  // namespace kotar
