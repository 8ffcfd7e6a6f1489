#include "common/CommandLine.h"

std::string QuoteArgument(std::string_view argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string_view::npos) return std::string(argument);
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count as escapes only before a quote.
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, '\\');
    quoted += '"';
    return quoted;
}

std::string BuildCommandLine(const std::string& program, const std::vector<std::string>& arguments) {
    // A program path can hold no quote; it is quoted even without a blank.
    std::string line = "\"";
    line += program;
    line += '"';
    for (const std::string& argument : arguments) {
        line += ' ';
        line += QuoteArgument(argument);
    }
    return line;
}
