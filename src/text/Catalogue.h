#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "text/Messages.h"

// A language's texts as the program reads them: every form of every message,
// each ending in '\0', and where each form begins.
struct TextTable {
    std::string texts;
    std::vector<std::uint32_t> starts;
};

// Unpacks a language's texts (stored packed in the exe: see Inflate.h); an
// empty table when they do not unpack, so that every text shows in English.
TextTable UnpackTexts(std::span<const std::uint8_t> packed, std::size_t size);

// The texts of one language, compiled from its PO file (scripts/po-compile.py).
struct Catalogue {
    const char* code;                // "en", "de", ..., "qps-ploc" for the test language
    int forms;                       // plural forms of its language
    int (*plural)(std::uint64_t n);  // which form a count takes
    const TextTable& (*table)();     // its texts, unpacked once, when first asked for
    const std::uint16_t* first;      // each message's first form in the table; one more at the end

    // The message's text in the form for count (its only form when it has one);
    // empty when the language lacks it.
    std::string_view Text(Msg id, std::uint64_t count = 1) const {
        const auto at = static_cast<std::size_t>(id);
        const int n = first[at + 1] - first[at];
        const int form = n > 1 ? plural(count) : 0;
        const std::size_t index = first[at] + static_cast<std::size_t>(form >= 0 && form < n ? form : n - 1);
        const TextTable& t = table();
        return index < t.starts.size() ? std::string_view(t.texts.data() + t.starts[index]) : std::string_view();
    }
};

// English first, then each translation in po/LINGUAS's order, then the test language.
std::span<const Catalogue> AllCatalogues();
