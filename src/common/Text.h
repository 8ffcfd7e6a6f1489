#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "text/Message.h"

// ASCII-only helpers: the program's markers, keys and file names are compared
// byte by byte, and non-ASCII bytes (the ANSI code page) are left alone.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
bool EndsWithIgnoreCase(std::string_view text, std::string_view suffix);
std::string ToUpperAscii(std::string_view text);
// Removes blanks (spaces) from both ends, as the program's trimming always has.
std::string_view TrimBlanks(std::string_view text);
std::string_view TrimLeadingBlanks(std::string_view text);

// text, or when it is longer than longest bytes, as much of it as fits
// there without cutting a UTF-8 letter, then "..." (a message box stays readable).
std::string Shortened(std::string_view text, std::size_t longest);
// text in double quotes, shortened to longest.
std::string Quoted(std::string_view text, std::size_t longest = std::string_view::npos);

// How a span of time reads in a status line.
struct DurationFormat {
    std::int64_t minutesFrom = 60;  // seconds from which it reads in minutes
    bool roundUp = true;            // minutes rounded up (never shorter than asked), else to the nearest
    bool hours = true;              // from 60 minutes on, "1 h 30 min"
};
// "45 s", "2 min", "1 h 30 min" as format says; a span that is not whole
// seconds reads in milliseconds ("1500 ms").
Message DurationMessage(std::chrono::milliseconds span, DurationFormat format = {});
// An exact span, in seconds (or milliseconds) however long: a time-out.
inline Message ExactDurationMessage(std::chrono::milliseconds span) {
    return DurationMessage(span, {INT64_MAX, false, false});
}

// A number of bytes in the largest unit that holds it whole: "4 MiB", "64 KiB", "1000 bytes".
Message SizeMessage(std::uint64_t bytes);
