#include "status/HttpHead.h"

#include <algorithm>
#include <array>
#include <chrono>

#include "common/Text.h"

namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool AllDigits(std::string_view text) { return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit); }

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The next line of text, without its CR LF or LF; nothing at the end.
std::optional<std::string_view> NextLine(std::string_view& text) {
    if (text.empty()) return std::nullopt;
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// "HTTP/1.1 404 Not Found": the status and the reason.
bool ReadStatusLine(std::string_view line, HttpHead& head) {
    if (line.size() < 5 || !EqualsIgnoreCase(line.substr(0, 5), "HTTP/")) return false;
    line.remove_prefix(std::min(line.find(' '), line.size()));
    line.remove_prefix(std::min(line.find_first_not_of(' '), line.size()));
    const std::string_view code = line.substr(0, 3);
    if (!AllDigits(code) || code.size() != 3 || code[0] == '0') return false;
    line.remove_prefix(3);
    if (!line.empty() && line.front() != ' ') return false;
    head.status = std::stoi(std::string(code));
    head.reason = Trim(line);
    return true;
}

std::vector<std::string_view> Words(std::string_view text, std::string_view separators) {
    std::vector<std::string_view> words;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find_first_of(separators, start), text.size());
        if (end > start) words.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

constexpr std::array<std::string_view, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                      "jul", "aug", "sep", "oct", "nov", "dec"};
constexpr std::array<std::string_view, 7> kDays = {"monday", "tuesday",  "wednesday", "thursday",
                                                   "friday", "saturday", "sunday"};

// 1 to 12 for a month's three letters, 0 for anything else.
unsigned Month(std::string_view word) {
    for (std::size_t i = 0; i < kMonths.size(); ++i)
        if (EqualsIgnoreCase(word, kMonths[i])) return static_cast<unsigned>(i + 1);
    return 0;
}

bool IsWeekday(std::string_view word) {
    return std::any_of(kDays.begin(), kDays.end(), [&](std::string_view day) {
        return EqualsIgnoreCase(word, day) || EqualsIgnoreCase(word, day.substr(0, 3));
    });
}

// A number written with least to most digits.
std::optional<unsigned> Number(std::string_view word, std::size_t least, std::size_t most) {
    if (word.size() < least || word.size() > most || !AllDigits(word)) return std::nullopt;
    return static_cast<unsigned>(std::stoul(std::string(word)));
}

// "08:49:37" as seconds into the day.
std::optional<std::int64_t> SecondsIntoDay(std::string_view word) {
    const auto parts = Words(word, ":");
    if (parts.size() != 3 || word.size() != 8) return std::nullopt;
    const auto h = Number(parts[0], 2, 2), m = Number(parts[1], 2, 2), s = Number(parts[2], 2, 2);
    if (!h || !m || !s || *h > 23 || *m > 59 || *s > 60) return std::nullopt;
    return *h * 3600 + *m * 60 + *s;
}

std::optional<std::int64_t> Moment(int year, unsigned month, unsigned day, std::optional<std::int64_t> time) {
    const std::chrono::year_month_day date{std::chrono::year(year), std::chrono::month(month), std::chrono::day(day)};
    if (!date.ok() || !time) return std::nullopt;
    return std::chrono::sys_days(date).time_since_epoch().count() * std::int64_t{86400} + *time;
}
}  // namespace

const std::string* HttpHead::Field(std::string_view name) const {
    for (const auto& [fieldName, value] : fields)
        if (EqualsIgnoreCase(fieldName, name)) return &value;
    return nullptr;
}

std::vector<std::string> HttpHead::List(std::string_view name) const {
    std::vector<std::string> items;
    for (const auto& [fieldName, value] : fields)
        if (EqualsIgnoreCase(fieldName, name))
            for (const std::string_view item : Words(value, ","))
                if (!Trim(item).empty()) items.emplace_back(Trim(item));
    return items;
}

std::optional<HttpHead> ParseHttpHead(std::string_view raw) {
    HttpHead head;
    const auto statusLine = NextLine(raw);
    if (!statusLine || !ReadStatusLine(*statusLine, head)) return std::nullopt;
    while (const auto line = NextLine(raw)) {
        if (line->empty()) break;
        if (line->front() == ' ' || line->front() == '\t') {
            if (head.fields.empty()) continue;
            std::string& value = head.fields.back().second;
            const std::string_view more = Trim(*line);
            if (!value.empty() && !more.empty()) value += ' ';
            value += more;
            continue;
        }
        const auto colon = line->find(':');
        const std::string_view name = Trim(line->substr(0, colon));
        if (colon == std::string_view::npos || name.empty()) continue;
        head.fields.emplace_back(name, Trim(line->substr(colon + 1)));
    }
    return head;
}

std::optional<std::int64_t> ParseHttpDate(std::string_view text) {
    auto words = Words(text, " \t,-");
    if (!words.empty() && IsWeekday(words.front())) words.erase(words.begin());
    const bool zoned =
        !words.empty() && (EqualsIgnoreCase(words.back(), "GMT") || EqualsIgnoreCase(words.back(), "UTC"));
    if (words.size() == 4 && !zoned && Month(words[0])) {
        // asctime: "Nov  6 08:49:37 1994"
        const auto day = Number(words[1], 1, 2), year = Number(words[3], 4, 4);
        if (!day || !year) return std::nullopt;
        return Moment(static_cast<int>(*year), Month(words[0]), *day, SecondsIntoDay(words[2]));
    }
    if (words.size() != 4u + zoned) return std::nullopt;
    // "06 Nov 1994 08:49:37", or "06-Nov-94 08:49:37" with the century
    // that puts a two-digit year between 1970 and 2069.
    const auto day = Number(words[0], 1, 2), year = Number(words[2], 2, 4);
    if (!day || !year || words[2].size() == 3) return std::nullopt;
    const int fullYear = static_cast<int>(words[2].size() == 4 ? *year : *year + (*year < 70 ? 2000 : 1900));
    return Moment(fullYear, Month(words[1]), *day, SecondsIntoDay(words[3]));
}
