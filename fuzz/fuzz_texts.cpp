// Placeholders in any text (a translator's typo included): each "{n}" with a
// value is replaced by it, exactly once per occurrence, and nothing else
// changes; every message of every language renders with any values.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "text/Languages.h"
#include "text/Texts.h"

namespace {
std::size_t Occurrences(std::string_view text, std::string_view what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1)) ++n;
    return n;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte: how many values; the rest: the text (without the marker bytes).
    const std::size_t count = data[0] % 12;
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    for (char& c : text)
        if (c == '\x01' || c == '\x02') c = ' ';
    std::vector<std::string> values;
    for (std::size_t n = 1; n <= count; ++n) values.push_back("\x01" + std::to_string(n) + "\x02");
    const std::string out = Substitute(text, values);

    // Each value stands where its placeholders stood; the text around is kept.
    std::string back = out;
    for (std::size_t n = count; n >= 1; --n) {
        const std::size_t wanted = Occurrences(text, "{" + std::to_string(n) + "}");
        if (Occurrences(out, values[n - 1]) != wanted) std::abort();
        for (auto at = back.find(values[n - 1]); at != std::string::npos; at = back.find(values[n - 1], at))
            back.replace(at, values[n - 1].size(), "{" + std::to_string(n) + "}");
    }
    if (back != text) std::abort();

    // Any message in any language, with the text as every value.
    const InvariantFormat format;
    const auto id = static_cast<Msg>(data[0] % kMessageCount);
    for (const Catalogue& language : AllCatalogues()) {
        const Message message(id, text, Count{static_cast<std::int64_t>(size) - 3}, Message(id, text), text);
        (void)Texts(format, language)(message);
    }
    return 0;
}
