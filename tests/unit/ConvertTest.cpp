#include <gtest/gtest.h>

#include "common/CommandLine.h"
#include "common/Convert.h"

namespace {

TEST(ToInt32Test, AcceptsWholeNumbersAndRoundsHalfToEven) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"5", 5},
        {"  12  ", 12},
        {"\t7\t", 7},
        {"-3", -3},
        {"+4", 4},
        {"007", 7},
        {"0", 0},
        {"-0", 0},
        {"2.5", 2},
        {"3.5", 4},
        {"-2.5", -2},
        {"-3.5", -4},
        {"2.51", 3},
        {"2.4999", 2},
        {"0.5", 0},
        {"1.5", 2},
        {".5", 0},
        {"1.", 1},
        {"0.05", 0},
        {"1e3", 1000},
        {"1.5E1", 15},
        {"15e-1", 2},
        {"25e-1", 2},
        {"5e-1", 0},
        {"0e99", 0},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"2147483646.5", 2147483646},
        {"0000000000002147483647", 2147483647},
        {"2.5000000000000000000001", 3},
    };
    for (const auto& [text, expected] : cases) {
        const auto value = ToInt32(text);
        ASSERT_TRUE(value.has_value()) << '"' << text << '"';
        EXPECT_EQ(*value, expected) << '"' << text << '"';
    }
}

TEST(ToInt32Test, RejectsWhatIsNotA32BitWholeNumber) {
    for (const char* text :
         {"",  "   ", "abc", "5a", "a5",  "1 2", "1e99", "2147483648", "-2147483649", "2147483647.5", "99999999999",
          ".", "+",   "-",   "1e", "1e+", "e5",  "1..2", "0x10",       "1,000",       "--1",          "5 minutes"}) {
        EXPECT_FALSE(ToInt32(text).has_value()) << '"' << text << '"';
    }
}

}  // namespace

namespace {

TEST(CommandLineTest, ArgumentsReadBackAsGiven) {
    const std::pair<const char*, const char*> cases[] = {
        {"http://lobby.example/status", "http://lobby.example/status"},
        {"20", "20"},
        {"", "\"\""},
        {"a b", "\"a b\""},
        {"tab\there", "\"tab\there\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"C:\\dir\\", "C:\\dir\\"},              // backslashes alone stay as they are
        {"C:\\my dir\\", "\"C:\\my dir\\\\\""},  // ...but are doubled before the closing quote
        {"a\\\"b", "\"a\\\\\\\"b\""},            // and before a quote
    };
    for (const auto& [argument, quoted] : cases) EXPECT_EQ(QuoteArgument(argument), quoted) << argument;
}

TEST(CommandLineTest, TheRunValueQuotesTheProgramAndKeepsTheOptions) {
    EXPECT_EQ(BuildCommandLine("C:\\Program Files\\Wendrel\\wendrel.exe", {}),
              "\"C:\\Program Files\\Wendrel\\wendrel.exe\"");
    EXPECT_EQ(BuildCommandLine("C:\\Games\\wendrel.exe",
                               {"--status-url", "https://lobby.example/a b?x=1", "--timeout", "2.5"}),
              "\"C:\\Games\\wendrel.exe\" --status-url \"https://lobby.example/a b?x=1\" --timeout 2.5");
}

}  // namespace
