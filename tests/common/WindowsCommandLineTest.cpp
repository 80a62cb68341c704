#include "common/WindowsCommandLine.h"

#include <gtest/gtest.h>

namespace kotar {
namespace {

struct QuoteCase {
    const char* argument;
    const char* quoted;
};

class WindowsArgumentTest : public testing::TestWithParam<QuoteCase> {};

// Each line splits back into the argument under the C runtime's rules.
TEST_P(WindowsArgumentTest, SplitsBackIntoTheSameArgument) {
    EXPECT_EQ(QuoteWindowsArgument(GetParam().argument), GetParam().quoted);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowsArgumentTest,
    testing::Values(QuoteCase{"-x", "-x"}, QuoteCase{"C:\\a\\b.wav", "C:\\a\\b.wav"},
                    QuoteCase{"", "\"\""},
                    QuoteCase{"C:\\Program Files\\dic", "\"C:\\Program Files\\dic\""},
                    // A trailing backslash would escape the closing quote.
                    QuoteCase{"C:\\My Files\\", "\"C:\\My Files\\\\\""},
                    QuoteCase{"a\"b", "\"a\\\"b\""}, QuoteCase{"a\\\"b", "\"a\\\\\\\"b\""},
                    QuoteCase{"a\\\\b c", "\"a\\\\b c\""},
                    QuoteCase{"東京 火事", "\"東京 火事\""}));

TEST(WindowsCommandLineTest, QuotesTheProgramAndRefusesANameWithAQuote) {
    EXPECT_EQ(WindowsCommandLine("C:\\KOTAR\\open_jtalk\\open_jtalk.exe", {"-r", "1.00", "a b"}),
              "\"C:\\KOTAR\\open_jtalk\\open_jtalk.exe\" -r 1.00 \"a b\"");
    EXPECT_EQ(WindowsCommandLine("open\"jtalk", {"-x"}), "");
    EXPECT_EQ(WindowsCommandLine("", {}), "");
}

}  // namespace
}  // namespace kotar
