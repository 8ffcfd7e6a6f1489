#pragma once

#include <string>
#include <string_view>
#include <vector>

// A command line split into arguments by the rules of Microsoft's C runtime,
// as a program started from the Run key reads it: the program's name up to
// the first blank outside quotes, quotes removed; then arguments separated by
// blanks and tabs, where quotes group, 2n backslashes before a quote give n
// and the quote groups, 2n+1 give n and a literal quote, other backslashes
// are literal, and "" inside quotes is a literal quote.
inline std::vector<std::string> SplitLikeTheCRuntime(std::string_view line) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    std::vector<std::string> args(1);
    std::size_t i = 0;
    for (bool quoted = false; i < line.size() && (quoted || !blank(line[i])); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else
            args[0] += line[i];
    }
    for (;;) {
        while (i < line.size() && blank(line[i])) ++i;
        if (i == line.size()) return args;
        std::string& arg = args.emplace_back();
        for (bool quoted = false; i < line.size() && (quoted || !blank(line[i]));) {
            if (line[i] == '\\') {
                std::size_t n = 0;
                for (; i < line.size() && line[i] == '\\'; ++i) ++n;
                const bool beforeQuote = i < line.size() && line[i] == '"';
                arg.append(beforeQuote ? n / 2 : n, '\\');
                if (beforeQuote && n % 2 == 1) {
                    arg += '"';
                    ++i;
                }
            } else if (line[i] == '"') {
                if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    arg += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg += line[i++];
            }
        }
    }
}
