// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <filesystem>
#include <string>

#include "link/SerialCom.h"

namespace kotar::bench {

// A phrase write of a patterned phrase file over COM<port> of environment (verified or not),
// timed from the call to its end.
struct TimedWrite {
    bool ok = false;
    double seconds = 0;
    std::string last_status;
    std::chrono::steady_clock::time_point last_status_at;
};
TimedWrite TimePhraseWrite(const std::filesystem::path& folder, int port,
                           const LinkEnvironment& environment, bool verify);

// Prints the write's time against the line time of its frames (38400 baud, 11 bits a byte):
// for a verified write, against twice the write's line time and against both passes' frames.
void ReportPacedWrite(const TimedWrite& write, bool verify);

}  // namespace kotar::bench
