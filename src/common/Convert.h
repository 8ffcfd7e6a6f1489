#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Converts text to a 32-bit signed whole number: blanks allowed around it, an
// optional sign, decimal digits with an optional fraction and exponent
// ("12", " -3 ", "2.5", "1e3"). A fraction rounds to the nearest whole number,
// a half to the even one. Empty text, other characters or a value outside the
// 32-bit range give no number.
std::optional<std::int32_t> ToInt32(std::string_view text);

// What a box that takes a whole number holds.
struct TypedWhole {
    enum class Kind {
        Number,      // value holds it
        NotWhole,    // anything but blanks around an optional sign and decimal digits ("3.5", "1e3", "")
        OutOfRange,  // a whole number beyond the 32-bit range
    };
    Kind kind = Kind::NotWhole;
    std::int32_t value = 0;
};
// Reads text as typed into a number box: blanks (spaces, tabs) around it, an
// optional sign, then decimal digits and nothing else. Unlike ToInt32, no
// fraction or exponent is taken, so "3.5" is refused rather than rounded.
TypedWhole ParseTypedWhole(std::string_view text);
