#include "text/Languages.h"

#include "common/Text.h"

namespace {
// "de" of "de-AT" or "de_AT".
std::string_view Base(std::string_view code) { return code.substr(0, code.find_first_of("-_")); }

constexpr std::string_view kTestLanguage = "qps-ploc";
}  // namespace

const Catalogue& EnglishCatalogue() { return AllCatalogues().front(); }

std::span<const Catalogue> OfferedLanguages() {
    const auto all = AllCatalogues();
    return all.first(all.back().code == kTestLanguage ? all.size() - 1 : all.size());
}

const Catalogue* FindLanguage(std::string_view code) {
    for (const Catalogue& c : AllCatalogues())
        if (EqualsIgnoreCase(c.code, code)) return &c;
    return nullptr;
}

const Catalogue* SpokenLanguage(std::string_view code) {
    if (const Catalogue* exact = FindLanguage(code)) return exact;
    for (const Catalogue& c : OfferedLanguages())
        if (!Base(code).empty() && EqualsIgnoreCase(Base(c.code), Base(code))) return &c;
    return nullptr;
}

const Catalogue& ChooseLanguage(std::string_view stored, std::span<const std::string> windowsLanguages) {
    if (const Catalogue* chosen = stored.empty() ? nullptr : SpokenLanguage(stored)) return *chosen;
    for (const std::string& wanted : windowsLanguages) {
        const Catalogue* spoken = SpokenLanguage(wanted);
        if (spoken && spoken->code != kTestLanguage) return *spoken;
    }
    return EnglishCatalogue();
}
