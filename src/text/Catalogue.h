#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "text/Messages.h"

// The texts of one language, compiled from its PO file (scripts/po-compile.py).
struct Catalogue {
    const char* code;  // "en", "de", ..., "qps-ploc" for the test language
    int forms;         // plural forms of its language
    int (*plural)(std::uint64_t n);  // which form a count takes
    const char* texts;               // every form of every message, each ending in '\0'
    const std::uint32_t* starts;     // where each form begins in texts
    const std::uint16_t* first;      // each message's first form in starts; one more at the end

    // The message's text in the form for count (its only form when it has one);
    // empty when the language lacks it.
    std::string_view Text(Msg id, std::uint64_t count = 1) const {
        const auto at = static_cast<std::size_t>(id);
        const int n = first[at + 1] - first[at];
        const int form = n > 1 ? plural(count) : 0;
        return texts + starts[first[at] + (form >= 0 && form < n ? form : n - 1)];
    }
};

// English first, then each translation in po/LINGUAS's order, then the test language.
std::span<const Catalogue> AllCatalogues();
