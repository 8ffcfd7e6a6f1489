#include "common/Text.h"

namespace {
char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
}  // namespace

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

bool EndsWithIgnoreCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && EqualsIgnoreCase(text.substr(text.size() - suffix.size()), suffix);
}

std::string ToUpperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) c = UpperAscii(c);
    return upper;
}

std::string_view TrimLeadingBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view{} : text.substr(first);
}

std::string_view TrimBlanks(std::string_view text) {
    text = TrimLeadingBlanks(text);
    const auto last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

std::string Shortened(std::string_view text, std::size_t longest) {
    if (text.size() <= longest) return std::string(text);
    // Not inside a letter of UTF-8: its continuation bytes are 10xxxxxx.
    std::size_t cut = longest;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return std::string(text.substr(0, cut)) + "...";
}

std::string Quoted(std::string_view text, std::size_t longest) { return '"' + Shortened(text, longest) + '"'; }

Message DurationMessage(std::chrono::milliseconds span, DurationFormat format) {
    if (span.count() % 1000 != 0) return Message(Msg::DurationMilliseconds, span.count());
    const std::int64_t seconds = span.count() / 1000;
    if (seconds < format.minutesFrom) return Message(Msg::DurationSeconds, seconds);
    const std::int64_t minutes = (seconds + (format.roundUp ? 59 : 30)) / 60;
    if (!format.hours || minutes < 60) return Message(Msg::DurationMinutes, minutes);
    if (minutes % 60 == 0) return Message(Msg::DurationHours, minutes / 60);
    return Message(Msg::DurationHoursMinutes, minutes / 60, minutes % 60);
}

Message SizeMessage(std::uint64_t bytes) {
    if (bytes % (1u << 20) == 0) return Message(Msg::SizeMiB, bytes >> 20);
    if (bytes % (1u << 10) == 0) return Message(Msg::SizeKiB, bytes >> 10);
    return Message(Msg::SizeBytes, Count{static_cast<std::int64_t>(bytes)});
}
