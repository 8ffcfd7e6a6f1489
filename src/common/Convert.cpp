#include "common/Convert.h"

#include <climits>
#include <string>

namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The text without the spaces and tabs around it.
std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == '\t' || text.front() == ' ')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == '\t' || text.back() == ' ')) text.remove_suffix(1);
    return text;
}

// Reads an exponent's digits, stopping at a bound far beyond any value that
// could still be a 32-bit number, so huge exponents cannot overflow.
bool ReadExponent(std::string_view text, std::size_t& i, long& exponent) {
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= text.size() || !IsDigit(text[i])) return false;
    long value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i)
        if (value < 1000000) value = value * 10 + (text[i] - '0');
    exponent = negative ? -value : value;
    return true;
}
}  // namespace

std::optional<std::int32_t> ToInt32(std::string_view text) {
    text = TrimBlanks(text);

    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    std::string digits;  // all mantissa digits, leading zeros dropped
    long pointAt = 0;    // count of digits of digits that lie before the decimal point
    bool anyDigit = false;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        anyDigit = true;
        if (digits.empty() && text[i] == '0') continue;
        digits += text[i];
        ++pointAt;
    }
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && IsDigit(text[i]); ++i) {
            anyDigit = true;
            if (digits.empty() && text[i] == '0') {
                --pointAt;  // a leading zero after the point shifts the point left
                continue;
            }
            digits += text[i];
        }
    }
    if (!anyDigit) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        long exponent = 0;
        if (!ReadExponent(text, ++i, exponent)) return std::nullopt;
        if (!digits.empty()) pointAt += exponent;
    }
    if (i != text.size()) return std::nullopt;
    if (digits.empty()) return 0;

    // Whole part: digits before the point, padded with zeros past the end.
    if (pointAt > 10) return std::nullopt;
    long long whole = 0;
    for (long k = 0; k < pointAt; ++k)
        whole = whole * 10 + (k < static_cast<long>(digits.size()) ? digits[k] - '0' : 0);

    // Round the fraction half to even.
    bool roundUp = false;
    if (pointAt >= 0 && pointAt < static_cast<long>(digits.size())) {
        const char first = digits[pointAt];
        const bool moreAfterFirst = digits.find_first_not_of('0', pointAt + 1) != std::string::npos;
        roundUp = first > '5' || (first == '5' && (moreAfterFirst || whole % 2 == 1));
    }
    if (roundUp) ++whole;
    if (negative) whole = -whole;
    if (whole < INT32_MIN || whole > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(whole);
}

TypedWhole ParseTypedWhole(std::string_view text) {
    text = TrimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return {};
    // Stops growing past the range so that any count of digits cannot overflow.
    constexpr long long kBeyond = static_cast<long long>(INT32_MAX) + 2;
    long long magnitude = 0;
    for (const char c : text) {
        if (!IsDigit(c)) return {};
        if (magnitude < kBeyond) magnitude = magnitude * 10 + (c - '0');
    }
    const long long whole = negative ? -magnitude : magnitude;
    if (whole < INT32_MIN || whole > INT32_MAX) return {TypedWhole::Kind::OutOfRange};
    return {TypedWhole::Kind::Number, static_cast<std::int32_t>(whole)};
}
