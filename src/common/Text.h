#pragma once

#include <string>
#include <string_view>

// ASCII-only helpers: the program's markers, keys and file names are compared
// byte by byte, and non-ASCII bytes (the ANSI code page) are left alone.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
bool EndsWithIgnoreCase(std::string_view text, std::string_view suffix);
std::string ToUpperAscii(std::string_view text);
// Removes blanks (spaces) from both ends, as the program's trimming always has.
std::string_view TrimBlanks(std::string_view text);
std::string_view TrimLeadingBlanks(std::string_view text);
