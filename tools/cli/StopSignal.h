#pragma once

namespace kotar::cli {

// SIGINT and SIGTERM stop a device transfer after its current exchange instead of ending the
// program: the handler only sets a flag that the link asks between its steps. The same signal
// a second time ends the program at once, as usual.
void InstallStopSignals();
// True once SIGINT or SIGTERM arrived after InstallStopSignals.
bool StopSignalled();

}  // namespace kotar::cli
