// SPDX-License-Identifier: GPL-3.0-or-later
#include "StopSignal.h"

#include <signal.h>

#include <atomic>

namespace kotar::cli {
namespace {

// A lock-free atomic is safe to store from a signal handler.
std::atomic<bool> g_stop_signalled{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnStopSignal(int) {
    g_stop_signalled.store(true);
}

}  // namespace

void InstallStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a wait in progress returns early and the link looks at the flag.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool StopSignalled() {
    return g_stop_signalled.load();
}

}  // namespace kotar::cli
