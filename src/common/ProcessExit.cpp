// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ProcessExit.h"

#include <cstdio>
#include <cstdlib>

#if defined(KOTAR_LEAK_CHECK_AT_EXIT)
#include <sanitizer/lsan_interface.h>
#endif

namespace kotar {

void ExitWithoutLibraryTeardown(int code) {
    std::fflush(nullptr);
#if defined(KOTAR_LEAK_CHECK_AT_EXIT)
    // _Exit skips the checker's own exit-time run; a leak ends the process with its failure.
    __lsan_do_leak_check();
#endif
    std::_Exit(code);
}

}  // namespace kotar
