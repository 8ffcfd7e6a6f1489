// The number conversions of Options and start-up, on any text: an accepted
// value is within half of what the text says, and survives a round trip; what
// a number box takes is exactly what ToInt32 reads from digits alone.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/Convert.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const TypedWhole typed = ParseTypedWhole(text);
    if (typed.kind == TypedWhole::Kind::Number && ToInt32(text) != typed.value) std::abort();
    // No fraction, exponent or NUL in what a number box takes.
    constexpr std::string_view kNeverInBox(".eE\0", 4);
    if (typed.kind != TypedWhole::Kind::NotWhole && text.find_first_of(kNeverInBox) != std::string::npos) std::abort();
    // Whole but too large: ToInt32 refuses it too.
    if (typed.kind == TypedWhole::Kind::OutOfRange && ToInt32(text)) std::abort();
    const auto value = ToInt32(text);
    if (!value) return 0;
    if (ToInt32(std::to_string(*value)) != value) std::abort();
    if (text.find('\0') != std::string::npos) std::abort();  // NUL is not a blank or a digit
    // strtod reads the same grammar; only digits past double's precision may differ.
    char* end = nullptr;
    const double reference = std::strtod(text.c_str(), &end);
    if (std::isfinite(reference) && std::fabs(reference) < 1e15 && std::fabs(reference - *value) > 0.5 + 1e-6)
        std::abort();
    return 0;
}
