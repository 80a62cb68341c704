// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/WindowsCommandLine.h"

#include <gtest/gtest.h>

namespace kotar {
namespace {

// Each quoted text splits back into its argument under the C runtime's rules.
TEST(WindowsCommandLineTest, ArgumentsSplitBackAsGivenAndTheProgramIsQuoted) {
    const std::pair<const char*, const char*> cases[] = {
        {"-x", "-x"},
        {"C:\\a\\b.wav", "C:\\a\\b.wav"},
        {"", "\"\""},
        {"C:\\Program Files\\dic", "\"C:\\Program Files\\dic\""},
        {"C:\\My Files\\", "\"C:\\My Files\\\\\""},  // else it would escape the closing quote
        {"a\"b", "\"a\\\"b\""},
        {"a\\\"b", "\"a\\\\\\\"b\""},
        {"a\\\\b c", "\"a\\\\b c\""},
        {"東京 火事", "\"東京 火事\""}};
    for (const auto& [argument, quoted] : cases)
        EXPECT_EQ(QuoteWindowsArgument(argument), quoted) << argument;
    EXPECT_EQ(WindowsCommandLine("C:\\KOTAR\\open_jtalk.exe", {"-r", "1.00", "a b"}),
              "\"C:\\KOTAR\\open_jtalk.exe\" -r 1.00 \"a b\"");
    EXPECT_EQ(WindowsCommandLine("open\"jtalk", {"-x"}), "");
}

}  // namespace
}  // namespace kotar
