// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace kotar {

// Where a transfer reports its progress and status texts: the transfer dialogs show them in
// their status line and progress bar, the command-line tool prints them.
class TransferSink {
public:
    virtual ~TransferSink() = default;
    virtual void SetStatus(const std::string& text) = 0;
    // The progress runs from 0 to maximum.
    virtual void SetProgressRange(int maximum) = 0;
    virtual void SetProgress(int position) = 0;
};

}  // namespace kotar
