#pragma once

#include <string>
#include <string_view>
#include <vector>

// One argument as a Windows command line carries it, so that the C runtime
// (and CommandLineToArgvW) reads it back unchanged: as it is when it holds
// no blank, tab or quote and is not empty; otherwise in quotes, with each
// quote and the backslashes before a quote or the closing quote doubled.
std::string QuoteArgument(std::string_view argument);

// A command line: the program's path, always in quotes, then the arguments.
std::string BuildCommandLine(const std::string& program, const std::vector<std::string>& arguments);
