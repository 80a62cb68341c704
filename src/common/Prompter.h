// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

namespace kotar {

enum class MessageIcon { None, Information, Exclamation, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// One message box: a numbered text (message_id != 0) or a literal text with its own caption.
struct MessageRequest {
    int message_id = 0;   // 0 for a literal text
    std::string text;     // UTF-8; for a numbered text, the text of the table (already formatted)
    std::string caption;  // empty: the program's title
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    MessageAnswer default_answer = MessageAnswer::Ok;
};

// Open-file and save-file dialogs. The filter uses the "Name|pattern|Name|pattern||" form.
struct FileDialogRequest {
    std::string title;
    std::string initial_folder;
    std::string initial_name;
    std::string default_extension;  // without the dot; appended when the user types none
    std::string filter;
    bool prompt_overwrite = false;  // save dialog: ask before replacing a file
    bool hide_read_only = false;
};

struct FolderDialogRequest {
    std::string title;
    std::string initial_folder;
};

// Everything the program asks the user goes through this interface: the desktop program shows
// dialogs, tests replay scripted answers, the command-line tool prints to stderr.
class Prompter {
public:
    virtual ~Prompter() = default;

    virtual MessageAnswer ShowMessage(const MessageRequest& request) = 0;
    virtual std::optional<std::string> ChooseOpenFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> ChooseSaveFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> ChooseFolder(const FolderDialogRequest& request) = 0;

    // A numbered message of the message table.
    MessageAnswer ShowMessage(int message_id, MessageIcon icon,
                              MessageButtons buttons = MessageButtons::Ok,
                              MessageAnswer default_answer = MessageAnswer::Ok);
    // A numbered message whose table text is a printf format (message 133).
    MessageAnswer ShowFormattedMessage(int message_id, const std::string& text, MessageIcon icon,
                                       MessageButtons buttons = MessageButtons::Ok,
                                       MessageAnswer default_answer = MessageAnswer::Ok);
    // A literal text with its own caption.
    MessageAnswer ShowText(const std::string& text, const std::string& caption, MessageIcon icon,
                           MessageButtons buttons = MessageButtons::Ok,
                           MessageAnswer default_answer = MessageAnswer::Ok);
};

}  // namespace kotar
