// SPDX-License-Identifier: GPL-3.0-or-later
// Windows: Ctrl+C and Ctrl+Break reach a console program as control events, handled on a thread
// of their own.
#include <windows.h>

#include <atomic>

#include "StopSignal.h"

namespace kotar::cli {
namespace {

std::atomic<bool> g_stop_signalled{false};

BOOL WINAPI OnControlEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    // The second one goes to the system's handler, which ends the program.
    return g_stop_signalled.exchange(true) ? FALSE : TRUE;
}

}  // namespace

void InstallStopSignals() {
    ::SetConsoleCtrlHandler(OnControlEvent, TRUE);
}

bool StopSignalled() {
    return g_stop_signalled.load();
}

}  // namespace kotar::cli
