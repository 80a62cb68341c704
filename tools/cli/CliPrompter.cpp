// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliPrompter.h"

#include <string>

namespace kotar::cli {
namespace {

bool IsYes(std::string line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    return line == "y" || line == "Y" || line == "yes" || line == "Yes" || line == "YES" ||
           line == "はい";
}

}  // namespace

MessageAnswer CliPrompter::ShowMessage(const MessageRequest& request) {
    if (request.buttons == MessageButtons::Ok)
        return StderrPrompter::ShowMessage(request);
    const bool ok_cancel = request.buttons == MessageButtons::OkCancel;
    const MessageAnswer yes = ok_cancel ? MessageAnswer::Ok : MessageAnswer::Yes;
    const MessageAnswer no = ok_cancel ? MessageAnswer::Cancel : MessageAnswer::No;
    if (answer_yes_)
        return yes;
    std::fprintf(out_, "%s [y/N] ", request.text.c_str());
    std::fflush(out_);
    char line[256];
    if (std::fgets(line, sizeof line, in_) == nullptr)
        return no;
    return IsYes(line) ? yes : no;
}

}  // namespace kotar::cli
