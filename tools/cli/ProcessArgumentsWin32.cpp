// SPDX-License-Identifier: GPL-3.0-or-later
#include <windows.h>
// clang-format off
#include <shellapi.h>
// clang-format on

#include <cstdlib>

#include "ProcessArguments.h"
#include "common/WideText.h"

namespace kotar::cli {

std::vector<std::string> ProcessArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr)
        return std::vector<std::string>(argv + 1, argv + argc);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i)
        args.push_back(WideToUtf8(wide[i]));
    ::LocalFree(wide);
    return args;
}

namespace {

UINT g_console_output_cp = 0;  // the console's own code page, 0 when it was not changed

void RestoreConsole() {
    if (g_console_output_cp != 0)
        ::SetConsoleOutputCP(g_console_output_cp);
}

}  // namespace

void PrepareConsole() {
    // The console outlives the program: the shell that started it goes on with its own page.
    const UINT before = ::GetConsoleOutputCP();
    if (before == 0 || before == CP_UTF8 || !::SetConsoleOutputCP(CP_UTF8))
        return;
    g_console_output_cp = before;
    std::atexit(RestoreConsole);
}

}  // namespace kotar::cli
