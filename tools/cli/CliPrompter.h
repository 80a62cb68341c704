// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>

#include "common/StderrPrompter.h"

namespace kotar::cli {

// The prompter of kotar-cli: messages go to stderr as with StderrPrompter. A question is never
// printed unless it is waited for: answered beforehand (--yes), it is not printed at all;
// otherwise it is printed and its answer read from a line of stdin ("y", "yes" or "はい" for
// yes, anything else or the end of the input for no). Commands that ask make sure stdin is a
// terminal first.
class CliPrompter : public StderrPrompter {
public:
    explicit CliPrompter(std::FILE* out = stderr, std::FILE* in = stdin)
        : StderrPrompter(out), out_(out), in_(in) {}

    using StderrPrompter::ShowMessage;
    MessageAnswer ShowMessage(const MessageRequest& request) override;

    // Every later question is answered yes without being printed.
    void AnswerYesToQuestions() { answer_yes_ = true; }

private:
    std::FILE* out_;
    std::FILE* in_;
    bool answer_yes_ = false;
};

}  // namespace kotar::cli
