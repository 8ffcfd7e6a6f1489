#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One completed scan: when (UTC, seconds since 1970) and how many players,
// or that it failed (no count: a lobby that was down is not an empty one).
// Or no scan at all but the moment Wendrel stopped watching (it exited, or
// the computer went to sleep): the count before it holds no further.
struct HistoryRecord {
    std::int64_t time = 0;
    std::optional<std::int32_t> players;
    bool stopped = false;  // a stop, not a scan (players is then empty)
    bool operator==(const HistoryRecord&) const = default;
    bool IsScan() const { return !stopped; }
};

// The history file: this header line, then one line per record, so that a
// spreadsheet opens it: "2026-12-07 21:04:05,14,ok", "…,,failed" or
// "…,,stopped". A spreadsheet reads that time form as a date and time; the
// form of earlier versions, "2026-12-07T21:04:05Z", is read too.
inline constexpr std::string_view kHistoryHeader = "Time (UTC),Players,Scan";

std::string FormatRecord(const HistoryRecord& record);
// A line in either time form (a trailing CR allowed); nothing for any other
// line.
std::optional<HistoryRecord> ParseRecord(std::string_view line);

struct ParsedHistory {
    std::vector<HistoryRecord> records;   // in time order
    std::vector<std::string> unreadable;  // damaged or foreign lines, as they were, in file order
    bool header = false;                  // the first line was the header
};
// Blank lines and the header count as neither records nor unreadable lines.
ParsedHistory ParseHistory(std::string_view text);
// The whole file: the header and the records, each line ended with CR LF.
std::string FormatHistory(const std::vector<HistoryRecord>& records);
// Lines, each ended with CR LF.
std::string JoinLines(const std::vector<std::string>& lines);

// "2026-12-07 21:04:05"; and its civil parts from seconds.
std::string FormatUtc(std::int64_t time);
struct CivilTime {
    int year, month, day, hour, minute, second;
    int weekday;  // 0 Monday … 6 Sunday
};
CivilTime ToCivil(std::int64_t seconds);
// The weekday of a day counted from 1 January 1970: 0 Monday … 6 Sunday.
int WeekdayOf(std::int64_t day);
