// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kotar {

// The system calls through which the POSIX replacement (AtomicFile.h) makes a file durable, as
// a seam: a test puts recording or failing ones in to see the order of flushes and renames.
struct AtomicFileCalls {
    int (*flush)(int fd);                             // fsync
    int (*rename)(const char* from, const char* to);  // rename
};

// The calls in use (fsync and rename unless a test changed them).
AtomicFileCalls& ReplacementCalls();

}  // namespace kotar
