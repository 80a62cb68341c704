// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace kotar::test {

// Leaves at the place of the single-instance server `name` what a killed copy of the program
// leaves there: a socket file that nobody listens on where the server is a Unix socket; nothing
// where it is a named pipe, which goes with its process. False when it cannot be made.
bool LeaveDeadSocket(const QString& name);

}  // namespace kotar::test
