#include <windows.h>
// clang-format off
#include <shellapi.h>
// clang-format on

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

void PrepareConsole() {
    ::SetConsoleOutputCP(CP_UTF8);
}

}  // namespace kotar::cli
