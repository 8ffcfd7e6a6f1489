#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "history/HistoryRecord.h"

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
// local time; rows start on the user's first day of the week.
struct TypicalWeek {
    struct Cell {
        double sum = 0;
        int count = 0;
        std::optional<double> Average() const { return count ? std::optional<double>(sum / count) : std::nullopt; }
    };
    int firstDay = 0;                           // weekday of row 0: 0 Monday … 6 Sunday
    std::array<std::array<Cell, 24>, 7> cells;  // [row][hour]
    int Weekday(int row) const { return (firstDay + row) % 7; }
};
// Failed scans (and stops) count in no hour: a lobby that was down is not an
// empty one. Offsets are asked about once per hour of UTC time, not per
// record, and a change of offset counts from the second it happens.
TypicalWeek ComputeTypicalWeek(std::span<const HistoryRecord> records, const UtcOffset& offset, int firstDay);

struct BusiestHour {
    int weekday;  // 0 Monday … 6 Sunday
    int hour;
    double average;
};
// The hour of the week with the highest average, the earliest of equals.
std::optional<BusiestHour> FindBusiestHour(const TypicalWeek& week);

// The local calendar days that have at least one scan.
int DaysOfHistory(std::span<const HistoryRecord> records, const UtcOffset& offset);

extern const std::array<const char*, 7> kWeekdayNames;  // Monday first

// The line under the pictures: how much history there is, and when the
// lobby is usually busiest.
std::string SummaryLine(int days, const std::optional<BusiestHour>& busiest);
