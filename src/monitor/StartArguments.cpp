#include "monitor/StartArguments.h"

#include <cstdlib>

#include "text/Languages.h"

const char* const kUsage =
    "Usage: wendrel.exe [--status-url URL] [--log FILE] [--history FILE] [--timeout SECONDS]\r\n"
    "                   [--language CODE]\r\n\r\n"
    "--status-url URL\r\n"
    "      The lobby status page to watch, http:// or https://\r\n"
    "      (default http://status.quellan.example).\r\n"
    "--log FILE\r\n"
    "      Append a line for each scan and alarm change to FILE.\r\n"
    "--history FILE\r\n"
    "      Keep the player history in FILE (default %LOCALAPPDATA%\\Wendrel\\history.csv).\r\n"
    "--timeout SECONDS\r\n"
    "      Give up on a scan after this long, 1 to 3600 (default 30).\r\n"
    "--language CODE\r\n"
    "      Speak this language for this run, whatever Options says: en, de, ru, pl,\r\n"
    "      hu, fr, or qps-ploc (every text accented and longer, for testing).";

namespace {
// "en, de, ..., qps-ploc"
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
    if (!(seconds >= 1 && seconds <= 3600)) return std::nullopt;
    return std::chrono::milliseconds(static_cast<long long>(seconds * 1000 + 0.5));
}
}  // namespace

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
            if (parsed.error.empty()) parsed.error = "Unknown or incomplete option \"" + arg + "\".";
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
            else if (parsed.error.empty())
                parsed.error = "--language takes one of " + LanguageCodes() + ", not \"" + value + "\".";
            continue;
        } else if (const auto timeout = Seconds(value)) {
            parsed.timeout = timeout;
        } else if (parsed.error.empty()) {
            parsed.error = "--timeout takes a number of seconds from 1 to 3600, not \"" + value + "\".";
        }
        parsed.startOptions.insert(parsed.startOptions.end(), {arg, value});
    }
    return parsed;
}
