// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <exception>

namespace kotar {

// A failure that has already been shown to the user. It carries no text: the handler that
// started the command catches it and ends silently.
class UserAbort : public std::exception {
public:
    const char* what() const noexcept override { return "user abort"; }
};

}  // namespace kotar
