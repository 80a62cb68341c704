// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kotar {

// Ends the process at once with `code`, without the exit-time teardown of the libraries (no
// static destructors, no atexit handlers), once everything of the program's own is closed: Qt
// Multimedia's PulseAudio engine (Qt 6.4) releases its server connection at exit while its own
// thread may still dispatch a reply, which then aborts the process inside libpulse. Buffered
// output is flushed first; in a build with the leak checker, the leak check that a normal exit
// would run runs first.
[[noreturn]] void ExitWithoutLibraryTeardown(int code);

}  // namespace kotar
