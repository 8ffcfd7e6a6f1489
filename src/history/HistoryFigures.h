#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "history/HistoryRecord.h"
#include "text/Message.h"

// Local time minus UTC, in minutes, at a moment (the user's time zone).
using UtcOffset = std::function<int(std::int64_t utc)>;

// The records up to now, of records in time order: one dated ahead of now
// came from a clock that ran ahead, and is no day of this history yet.
std::span<const HistoryRecord> UpTo(std::span<const HistoryRecord> records, std::int64_t now);

// The last 24 hours: the records in that span (scans and stops), oldest first.
struct DaySeries {
    std::int64_t from = 0, to = 0;  // UTC seconds
    std::vector<HistoryRecord> records;
};
DaySeries LastDay(std::span<const HistoryRecord> records, std::int64_t now);

// A typical week: the average player count of each hour of the week, in
// local time, and how often it reached the alarm threshold; rows start on
// the user's first day of the week.
struct TypicalWeek {
    struct Cell {
        double sum = 0;
        int count = 0;
        // The weeks with a scan in this hour, and those of them in which a
        // scan in it reached the threshold.
        int weeks = 0, reached = 0;
        std::optional<double> Average() const { return count ? std::optional<double>(sum / count) : std::nullopt; }
        // Reached in at least half its weeks, of two at least: one week tells nothing.
        bool UsuallyBusy() const { return weeks >= 2 && 2 * reached >= weeks; }
    };
    int firstDay = 0;                           // weekday of row 0: 0 Monday … 6 Sunday
    std::array<std::array<Cell, 24>, 7> cells;  // [row][hour]
    int Weekday(int row) const { return (firstDay + row) % 7; }
    int Row(int weekday) const { return (weekday - firstDay + 7) % 7; }
};
// Failed scans (and stops) count in no hour: a lobby that was down is not an
// empty one. Offsets are asked about once per hour of UTC time, not per
// record, and a change of offset counts from the second it happens.
TypicalWeek ComputeTypicalWeek(std::span<const HistoryRecord> records, const UtcOffset& offset, int firstDay,
                               std::int32_t threshold);

// A moment as the clock on the wall shows it: its calendar day (days since
// 1970), weekday (0 Monday … 6 Sunday), hour and minute.
struct WallClock {
    std::int64_t day;
    int weekday, hour, minute;
};
WallClock ToWallClock(std::int64_t utc, const UtcOffset& offset);
inline constexpr int kWeekHours = 7 * 24;

// Usually busy hours in a row, as the clock on the wall shows them.
struct BusySpan {
    std::int64_t start = 0, end = 0;  // UTC seconds: the first hour's start, the last one's end
    int weekday = 0;                  // of the first hour
    int reached = 0, weeks = 0;       // the figures of its least sure hour
};
// What the history says of its usually busy hours at now: how much more of
// it is wanted before it tells, and else the span that goes on at now or
// comes next within a week (none when no hour is usually busy). Daylight
// saving counts as the week's hours do: by the clock on the wall.
struct UsuallyBusy {
    std::int64_t wanting = 0;  // seconds of history still wanted; 0 when there is enough
    std::optional<BusySpan> next;
};
inline constexpr std::int64_t kBusyHistory = 14 * 86400;
UsuallyBusy FindUsuallyBusy(std::span<const HistoryRecord> past, const TypicalWeek& week, std::int64_t now,
                            const UtcOffset& offset);

// The usually busy hours of each row in runs of hours, in the grid's order.
struct CellRun {
    int row, from, to;  // hours from up to (not including) to
};
std::vector<CellRun> BusyRuns(const TypicalWeek& week);

struct BusiestHour {
    int weekday;  // 0 Monday … 6 Sunday
    int hour;
    double average;
};
// The hour of the week with the highest average, the earliest of equals;
// and the one with the lowest.
std::optional<BusiestHour> FindBusiestHour(const TypicalWeek& week);
std::optional<BusiestHour> FindQuietestHour(const TypicalWeek& week);

// The local calendar days that have at least one scan.
int DaysOfHistory(std::span<const HistoryRecord> records, const UtcOffset& offset);

// The line under the pictures: how much history there is, and when the
// lobby is usually busiest.
Message SummaryLine(int days, const std::optional<BusiestHour>& busiest);

// The message of one phrase that names a weekday (0 Monday; any integer is
// taken modulo 7): each day its own message, as languages decline the day.
enum class DayPhraseKind { DayHours, NextDayHours, Evidence, EveryDayHours, FirstDay };
Msg DayPhrase(DayPhraseKind phrase, int weekday);

// "Saturday 20:00–21:00": hours from up to to of a weekday.
Message DayHours(int weekday, int from, int to);
// "in 8 of the last 10 Saturdays"
Message SpanEvidence(const BusySpan& span);
// The line under the summary: "Usually 2 or more players: today
// 19:00–23:00 (in 8 of the last 10 Saturdays)", or how much more history
// it wants, or that the lobby rarely has that many.
Message UsuallyBusyLine(const UsuallyBusy& busy, std::int32_t threshold, std::int64_t now, const UtcOffset& offset);
// The reminder at now of span, which starts later: "Drevak Wing usually has
// 2 or more players from 19:00 — in 8 of the last 10 Saturdays. Click here
// to see the history.", one message for a span that starts later today and
// one for a span that starts on another day (after midnight).
Message BusySoonReminder(const BusySpan& span, std::int32_t threshold, std::int64_t now, const UtcOffset& offset);
// "2 players", in English: for the log.
std::string PlayersText(std::int64_t count);

// When to tell the player that the lobby usually gets busy soon: within
// kLead before a usually busy span starts, once per span, however often the
// span is worked out again.
class BusyReminder {
public:
    static constexpr std::int64_t kLead = 30 * 60;
    // Whether a reminder of next is due at now; a due one counts as given.
    bool Due(const BusySpan& next, std::int64_t now);

private:
    std::int64_t remindedUntil_ = INT64_MIN;  // the end of the last span reminded of
};
