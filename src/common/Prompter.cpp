// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/Prompter.h"

#include "common/Messages.h"

namespace kotar {

MessageAnswer Prompter::ShowMessage(int message_id, MessageIcon icon, MessageButtons buttons,
                                    MessageAnswer default_answer) {
    return ShowFormattedMessage(message_id, MessageText(message_id), icon, buttons, default_answer);
}

MessageAnswer Prompter::ShowFormattedMessage(int message_id, const std::string& text,
                                             MessageIcon icon, MessageButtons buttons,
                                             MessageAnswer default_answer) {
    MessageRequest request;
    request.message_id = message_id;
    request.text = text;
    request.icon = icon;
    request.buttons = buttons;
    request.default_answer = default_answer;
    return ShowMessage(request);
}

MessageAnswer Prompter::ShowText(const std::string& text, const std::string& caption,
                                 MessageIcon icon, MessageButtons buttons,
                                 MessageAnswer default_answer) {
    MessageRequest request;
    request.text = text;
    request.caption = caption;
    request.icon = icon;
    request.buttons = buttons;
    request.default_answer = default_answer;
    return ShowMessage(request);
}

}  // namespace kotar
