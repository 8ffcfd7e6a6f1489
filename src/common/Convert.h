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
