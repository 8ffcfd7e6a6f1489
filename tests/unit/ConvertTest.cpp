#include <gtest/gtest.h>

#include <optional>

#include "common/CommandLine.h"
#include "common/Convert.h"
#include "common/Text.h"
#include "monitor/StartArguments.h"
#include "text/Catalogue.h"
#include "text/Texts.h"

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

// A number box takes a sign and digits only; what is whole but too large is told apart.
TEST(ParseTypedWholeTest, TakesSignAndDigitsOnly) {
    using Kind = TypedWhole::Kind;
    const struct {
        const char* text;
        Kind kind;
        std::int32_t value;
    } cases[] = {
        {"5", Kind::Number, 5},
        {" \t-1\t ", Kind::Number, -1},
        {"0", Kind::Number, 0},
        {"-0", Kind::Number, 0},
        {"+12", Kind::Number, 12},
        {"0000000000002147483647", Kind::Number, INT32_MAX},
        {"-2147483648", Kind::Number, INT32_MIN},
        {"3.5", Kind::NotWhole, 0},
        {"1e3", Kind::NotWhole, 0},
        {"2.", Kind::NotWhole, 0},
        {"", Kind::NotWhole, 0},
        {" + ", Kind::NotWhole, 0},
        {"- 5", Kind::NotWhole, 0},
        {"5 5", Kind::NotWhole, 0},
        {"0x10", Kind::NotWhole, 0},
        {"99999999999999999999999x", Kind::NotWhole, 0},
        {"2147483648", Kind::OutOfRange, 0},
        {"-2147483649", Kind::OutOfRange, 0},
        {"4294967295", Kind::OutOfRange, 0},
        {"-99999999999999999999999999", Kind::OutOfRange, 0},
    };
    for (const auto& c : cases) {
        const TypedWhole typed = ParseTypedWhole(c.text);
        EXPECT_EQ(typed.kind, c.kind) << '"' << c.text << '"';
        if (c.kind == Kind::Number) {
            EXPECT_EQ(typed.value, c.value) << '"' << c.text << '"';
        }
    }
}

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

// The first value of a message, as it was given.
std::string FirstValue(const Message& message) { return std::get<Verbatim>(message.Args().at(0).value); }

TEST(StartArgumentsTest, OptionsTheirValuesAndWhatIsRefused) {
    struct Case {
        std::vector<std::string> args;
        std::optional<Msg> error;  // none when accepted
        std::string refused;       // what the error names
        long long timeoutMs = -1;
    };
    const Case cases[] = {
        {{}, {}, ""},
        {{"--timeout", "1"}, {}, "", 1000},
        {{"--timeout", "2.5"}, {}, "", 2500},
        {{"--timeout", "3600"}, {}, "", 3600000},
        {{"--timeout", "0.0004"}, Msg::ProgramBadTimeout, "0.0004"},
        {{"--timeout", "0"}, Msg::ProgramBadTimeout, "0"},
        {{"--timeout", "3601"}, Msg::ProgramBadTimeout, "3601"},
        {{"--timeout", "-5"}, Msg::ProgramBadTimeout, "-5"},
        {{"--timeout", "1e3"}, Msg::ProgramBadTimeout, "1e3"},
        {{"--timeout", "0x10"}, Msg::ProgramBadTimeout, "0x10"},
        {{"--timeout", "1.2.3"}, Msg::ProgramBadTimeout, "1.2.3"},
        {{"--timeout"}, Msg::ProgramUnknownOption, "--timeout"},
        {{"--verbose", "--timeout", "x"}, Msg::ProgramUnknownOption, "--verbose"},  // the first fault is told
        {{"--language", "de"}, {}, ""},
        {{"--language", "QPS-PLOC"}, {}, ""},
        {{"--language", "de-AT"}, Msg::ProgramBadLanguage, "de-AT"},
        {{"--language", ""}, Msg::ProgramBadLanguage, ""},
        {{"--language"}, Msg::ProgramUnknownOption, "--language"},
    };
    for (const Case& c : cases) {
        const StartArguments parsed = ParseStartArguments(c.args);
        const std::string shown = parsed.error ? InEnglish(*parsed.error) : "";
        ASSERT_EQ(parsed.error.has_value(), c.error.has_value()) << shown;
        if (c.error) {
            EXPECT_EQ(parsed.error->Id(), *c.error) << shown;
            EXPECT_EQ(FirstValue(*parsed.error), c.refused) << shown;
        }
        EXPECT_EQ(parsed.timeout ? parsed.timeout->count() : -1, c.timeoutMs) << shown;
    }
    EXPECT_EQ(InEnglish(*ParseStartArguments({"--timeout", "0"}).error),
              "--timeout takes a number of seconds from 1 to 3600, not \"0\".");
    EXPECT_EQ(InEnglish(*ParseStartArguments({"--language", "xx"}).error).find("--language takes one of en, de, "), 0u);
}

// --help shows the options; a fault is told with them; otherwise the program starts.
TEST(StartArgumentsTest, WhatTheProgramAnswersBeforeStarting) {
    EXPECT_FALSE(ArgumentsAnswer(ParseStartArguments({"--log", "x.log"})));
    EXPECT_EQ(ArgumentsAnswer(ParseStartArguments({"/?", "--verbose"}))->Id(), Msg::ProgramUsage);
    const Message wrong = *ArgumentsAnswer(ParseStartArguments({"--verbose"}));
    EXPECT_EQ(wrong.Id(), Msg::ProgramWrongArguments);
    const std::string usage = InEnglish(Usage());
    EXPECT_EQ(InEnglish(wrong), "Unknown or incomplete option \"--verbose\".\r\n\r\n" + usage);
    for (const char* line :
         {"Usage: wendrel.exe [--status-url URL] [--log FILE] [--history FILE] [--timeout SECONDS]\r\n",
          "      (default http://status.quellan.example).\r\n", "(default %LOCALAPPDATA%\\Wendrel\\history.csv).\r\n",
          "                   [--language CODE]\r\n",
          "      Give up on a scan after this long, 1 to 3600 (default 30).\r\n"})
        EXPECT_NE(usage.find(line), std::string::npos) << line;
    // --language's line names every language, the test language too.
    const std::string says = "whatever Options says: ";
    const std::size_t from = usage.find(says) + says.size();
    const std::string codes = ", " + usage.substr(from, usage.find("\r\n", from) - from) + ",";
    for (const Catalogue& language : AllCatalogues())
        EXPECT_NE(codes.find(", " + std::string(language.code) + ","), std::string::npos) << language.code << codes;
}

TEST(StartArgumentsTest, HelpAndTheOptionsThatStartingWithWindowsKeeps) {
    for (const char* help : {"--help", "-h", "/?"}) {
        const StartArguments parsed = ParseStartArguments({"--log", "x.log", help});
        EXPECT_TRUE(parsed.help) << help;
        EXPECT_FALSE(parsed.error) << help;
    }
    const StartArguments parsed = ParseStartArguments({"--log", "w.log", "--status-url", "https://lobby.example/",
                                                       "--history", "h.csv", "--language", "ru", "--timeout", "20"});
    EXPECT_EQ(parsed.language, "ru") << "for this run: not kept for starting with Windows";
    EXPECT_EQ(parsed.logFile, "w.log");
    EXPECT_EQ(parsed.historyFile, "h.csv");
    EXPECT_EQ(parsed.statusUrl, "https://lobby.example/");
    EXPECT_EQ(parsed.startOptions,
              (std::vector<std::string>{"--status-url", "https://lobby.example/", "--timeout", "20"}));
}

TEST(TextTest, QuotesDurationsAndSizesReadAsTheStatusLineShowsThem) {
    using std::chrono::milliseconds, std::chrono::seconds;
    const DurationFormat nextTry{120, false, true};  // the main window's "next try in"
    const std::pair<std::string, std::string> cases[] = {
        {Quoted("abc"), "\"abc\""},
        {Quoted(std::string(41, 'x'), 40), "\"" + std::string(40, 'x') + "...\""},
        {Shortened("aŁódź", 2), "a..."},  // not inside the two bytes of "Ł"
        {Shortened("aŁódź", 3), "aŁ..."},
        {InEnglish(DurationMessage(seconds(59))), "59 s"},
        {InEnglish(DurationMessage(seconds(60))), "1 min"},
        {InEnglish(DurationMessage(seconds(61))), "2 min"},
        {InEnglish(DurationMessage(seconds(5400))), "1 h 30 min"},
        {InEnglish(DurationMessage(seconds(119), nextTry)), "119 s"},
        {InEnglish(DurationMessage(seconds(149), nextTry)), "2 min"},
        {InEnglish(DurationMessage(seconds(7200), nextTry)), "2 h"},
        {InEnglish(ExactDurationMessage(milliseconds(1500))), "1500 ms"},
        {InEnglish(ExactDurationMessage(seconds(3600))), "3600 s"},
        {InEnglish(SizeMessage(4u << 20)), "4 MiB"},
        {InEnglish(SizeMessage(65536)), "64 KiB"},
        {InEnglish(SizeMessage(1000)), "1000 bytes"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(text, expected);
}

}  // namespace
