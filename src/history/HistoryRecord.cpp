#include "history/HistoryRecord.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>

namespace {

constexpr std::int64_t kDay = 86400;

// Reads exactly n digits (at most 18) at text[at...].
std::optional<std::int64_t> Digits(std::string_view text, std::size_t at, std::size_t n) {
    if (at + n > text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (std::size_t i = at; i < at + n; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// "YYYY-MM-DD HH:MM:SS" or "YYYY-MM-DDTHH:MM:SSZ", a real date and time, to
// seconds.
std::optional<std::int64_t> ParseUtc(std::string_view text) {
    const bool spreadsheetForm = text.size() == 19 && text[10] == ' ';
    const bool isoForm = text.size() == 20 && text[10] == 'T' && text[19] == 'Z';
    if ((!spreadsheetForm && !isoForm) || text[4] != '-' || text[7] != '-' || text[13] != ':' || text[16] != ':')
        return std::nullopt;
    const auto y = Digits(text, 0, 4), mo = Digits(text, 5, 2), d = Digits(text, 8, 2), h = Digits(text, 11, 2),
               mi = Digits(text, 14, 2), s = Digits(text, 17, 2);
    if (!y || !mo || !d || !h || !mi || !s || *h > 23 || *mi > 59 || *s > 59) return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year{static_cast<int>(*y)},
                                           std::chrono::month{static_cast<unsigned>(*mo)},
                                           std::chrono::day{static_cast<unsigned>(*d)}};
    if (!date.ok()) return std::nullopt;
    const std::int64_t days = std::chrono::sys_days{date}.time_since_epoch().count();
    return days * kDay + *h * 3600 + *mi * 60 + *s;
}

}  // namespace

CivilTime ToCivil(std::int64_t seconds) {
    const std::int64_t days = seconds >= 0 ? seconds / kDay : -((-seconds + kDay - 1) / kDay);
    const std::int64_t rest = seconds - days * kDay;
    const std::chrono::year_month_day date{std::chrono::sys_days{std::chrono::days{days}}};
    return {static_cast<int>(date.year()),
            static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day())),
            static_cast<int>(rest / 3600),
            static_cast<int>(rest / 60 % 60),
            static_cast<int>(rest % 60),
            WeekdayOf(days)};
}

int WeekdayOf(std::int64_t day) {
    const std::chrono::weekday weekday{std::chrono::sys_days{std::chrono::days{day}}};
    return static_cast<int>(weekday.iso_encoding()) - 1;
}

std::string FormatUtc(std::int64_t time) {
    const CivilTime t = ToCivil(time);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

std::string FormatRecord(const HistoryRecord& record) {
    std::string line = FormatUtc(record.time);
    line += ',';
    if (record.players) line += std::to_string(*record.players);
    line += record.stopped ? ",stopped" : record.players ? ",ok" : ",failed";
    return line;
}

std::optional<HistoryRecord> ParseRecord(std::string_view line) {
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // a torn line may end in several
    const std::size_t first = line.find(','), second = line.find(',', first + 1);
    if (first == std::string_view::npos || second == std::string_view::npos) return std::nullopt;
    const auto time = ParseUtc(line.substr(0, first));
    const std::string_view count = line.substr(first + 1, second - first - 1), scan = line.substr(second + 1);
    if (!time) return std::nullopt;
    if (scan == "failed" && count.empty()) return HistoryRecord{*time, std::nullopt};
    if (scan == "stopped" && count.empty()) return HistoryRecord{*time, std::nullopt, true};
    if (scan != "ok" || count.empty() || count.size() > 10) return std::nullopt;
    // Any count the program holds: a total over several servers may have ten digits.
    const auto players = Digits(count, 0, count.size());
    if (!players || *players > INT32_MAX) return std::nullopt;
    return HistoryRecord{*time, static_cast<std::int32_t>(*players)};
}

ParsedHistory ParseHistory(std::string_view text) {
    ParsedHistory parsed;
    bool first = true;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        // A torn line with a line end appended ends in several.
        while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        // A spreadsheet that saved the file as UTF-8 put a byte order mark
        // before the header. Only there: any other line is kept byte for byte,
        // so that one set aside in .bad is found there again.
        constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
        const bool header = line == kHistoryHeader || (first && line.starts_with(kByteOrderMark) &&
                                                       line.substr(kByteOrderMark.size()) == kHistoryHeader);
        if (first && header) parsed.header = true;
        first = false;
        if (line.empty() || header) continue;
        if (const auto record = ParseRecord(line))
            parsed.records.push_back(*record);
        else
            parsed.unreadable.emplace_back(line);
    }
    // Written in order; a clock set back can leave records out of it.
    std::stable_sort(parsed.records.begin(), parsed.records.end(),
                     [](const HistoryRecord& a, const HistoryRecord& b) { return a.time < b.time; });
    return parsed;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

std::string FormatHistory(const std::vector<HistoryRecord>& records) {
    std::string text(kHistoryHeader);
    text += "\r\n";
    text.reserve(text.size() + records.size() * 28);
    for (const HistoryRecord& record : records) {
        text += FormatRecord(record);
        text += "\r\n";
    }
    return text;
}
