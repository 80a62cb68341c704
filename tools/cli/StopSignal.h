// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kotar::cli {

// SIGINT and SIGTERM (Ctrl+C and Ctrl+Break on Windows) stop a device transfer after its current
// exchange instead of ending the program: the handler only sets a flag that the link asks
// between its steps. The same signal a second time ends the program at once, as usual.
void InstallStopSignals();
// True once a stop signal arrived after InstallStopSignals.
bool StopSignalled();

}  // namespace kotar::cli
