#include "monitor/StartArguments.h"

#include <cstdlib>

#include "status/StatusSource.h"
#include "text/Languages.h"

namespace {
constexpr int kShortestTimeout = 1, kLongestTimeout = 3600, kDefaultTimeout = 30;
// Typed as they are on the command line: without a thousands separator.
std::string Typed(int seconds) { return std::to_string(seconds); }

// What --language takes: "en, de, ..., qps-ploc".
std::string LanguageCodes() {
    std::string codes;
    for (const Catalogue& language : AllCatalogues()) codes += (codes.empty() ? "" : ", ") + std::string(language.code);
    return codes;
}

// Seconds as plain decimal digits with at most one point, from 1 to 3600.
std::optional<std::chrono::milliseconds> Seconds(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos || text.find('.') != text.rfind('.'))
        return std::nullopt;
    const double seconds = std::strtod(text.c_str(), nullptr);
    if (!(seconds >= kShortestTimeout && seconds <= kLongestTimeout)) return std::nullopt;
    return std::chrono::milliseconds(static_cast<long long>(seconds * 1000 + 0.5));
}
}  // namespace

Message Usage() {
    return Message(Msg::ProgramUsage, std::string(StatusSource::kDefaultUrl),
                   std::string("%LOCALAPPDATA%\\Wendrel\\history.csv"), Typed(kShortestTimeout), Typed(kLongestTimeout),
                   Typed(kDefaultTimeout), LanguageCodes());
}

std::optional<Message> ArgumentsAnswer(const StartArguments& args) {
    if (args.help) return Usage();
    if (args.error) return Message(Msg::ProgramWrongArguments, *args.error, Usage());
    return std::nullopt;
}

StartArguments ParseStartArguments(const std::vector<std::string>& arguments) {
    StartArguments parsed;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        if (arg == "--help" || arg == "-h" || arg == "/?") {
            parsed.help = true;
            continue;
        }
        const bool hasValue = i + 1 < arguments.size();
        if (!hasValue || (arg != "--status-url" && arg != "--log" && arg != "--timeout" && arg != "--history" &&
                          arg != "--language")) {
            if (!parsed.error) parsed.error = Message(Msg::ProgramUnknownOption, arg);
            continue;
        }
        const std::string& value = arguments[++i];
        if (arg == "--status-url") {
            parsed.statusUrl = value;
        } else if (arg == "--log" || arg == "--history") {
            (arg == "--log" ? parsed.logFile : parsed.historyFile) = value;
            continue;
        } else if (arg == "--language") {
            // For this run only: starting with Windows follows Options' choice.
            if (FindLanguage(value))
                parsed.language = value;
            else if (!parsed.error)
                parsed.error = Message(Msg::ProgramBadLanguage, value, LanguageCodes());
            continue;
        } else if (const auto timeout = Seconds(value)) {
            parsed.timeout = timeout;
        } else if (!parsed.error) {
            parsed.error = Message(Msg::ProgramBadTimeout, value, Typed(kShortestTimeout), Typed(kLongestTimeout));
        }
        parsed.startOptions.insert(parsed.startOptions.end(), {arg, value});
    }
    return parsed;
}
