#include "history/HistoryFigures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
constexpr std::int64_t kHour = 3600, kDay = 86400;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// An offset changes a few times a year, at a minute that need not be the
// turn of a UTC hour (St John's changes at half past). Each UTC hour is asked
// at its start and its end; only an hour whose two answers differ is
// searched for the second of its change. Records come in time order, so the
// hour before is all there is to keep.
class CachedOffset {
public:
    explicit CachedOffset(const UtcOffset& offset) : offset_(offset) {}
    std::int64_t Local(std::int64_t utc) {
        const std::int64_t hour = FloorDiv(utc, kHour);
        if (!planned_ || hour != hour_) Plan(hour);
        return utc + (utc < change_ ? before_ : after_) * 60;
    }

private:
    void Plan(std::int64_t hour) {
        const std::int64_t start = hour * kHour, end = start + kHour;
        before_ = planned_ && hour == hour_ + 1 ? after_ : offset_(start);
        after_ = offset_(end);
        planned_ = true;
        hour_ = hour;
        change_ = end;
        if (after_ == before_) return;
        // The first second with the new offset: offset_(low) is before_, offset_(change_) is not.
        for (std::int64_t low = start; change_ - low > 1;) {
            const std::int64_t middle = low + (change_ - low) / 2;
            (offset_(middle) == before_ ? low : change_) = middle;
        }
    }

    const UtcOffset& offset_;
    bool planned_ = false;
    std::int64_t hour_ = 0;       // the UTC hour planned
    int before_ = 0, after_ = 0;  // its offsets before and from change_
    std::int64_t change_ = 0;
};
}  // namespace

const std::array<const char*, 7> kWeekdayNames = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                                  "Friday", "Saturday", "Sunday"};

std::span<const HistoryRecord> UpTo(std::span<const HistoryRecord> records, std::int64_t now) {
    const auto end = std::upper_bound(records.begin(), records.end(), now,
                                      [](std::int64_t t, const HistoryRecord& r) { return t < r.time; });
    return records.first(static_cast<std::size_t>(end - records.begin()));
}

DaySeries LastDay(std::span<const HistoryRecord> records, std::int64_t now) {
    DaySeries series{now - kDay, now, {}};
    records = UpTo(records, now);
    const auto from = std::lower_bound(records.begin(), records.end(), series.from,
                                       [](const HistoryRecord& r, std::int64_t t) { return r.time < t; });
    series.records.assign(from, records.end());
    return series;
}

TypicalWeek ComputeTypicalWeek(std::span<const HistoryRecord> records, const UtcOffset& offset, int firstDay) {
    TypicalWeek week;
    week.firstDay = firstDay;
    CachedOffset local(offset);
    for (const HistoryRecord& record : records) {
        if (!record.players) continue;
        const std::int64_t t = local.Local(record.time);
        const int weekday = static_cast<int>(((FloorDiv(t, kDay) % 7) + 7 + 3) % 7);  // 1 Jan 1970: a Thursday
        const int hour = static_cast<int>(FloorDiv(t, kHour) - FloorDiv(t, kDay) * 24);
        TypicalWeek::Cell& cell = week.cells[(weekday - firstDay + 7) % 7][hour];
        cell.sum += *record.players;
        ++cell.count;
    }
    return week;
}

std::optional<BusiestHour> FindBusiestHour(const TypicalWeek& week) {
    std::optional<BusiestHour> busiest;
    for (int row = 0; row < 7; ++row)
        for (int hour = 0; hour < 24; ++hour)
            if (const auto average = week.cells[row][hour].Average();
                average && (!busiest || *average > busiest->average))
                busiest = BusiestHour{week.Weekday(row), hour, *average};
    return busiest;
}

int DaysOfHistory(std::span<const HistoryRecord> records, const UtcOffset& offset) {
    CachedOffset local(offset);
    int days = 0;
    std::optional<std::int64_t> last;
    // Records are in time order, so local days come in order too (but for
    // an hour repeated when the clocks go back, which stays within a day).
    for (const HistoryRecord& record : records) {
        if (!record.IsScan()) continue;
        const std::int64_t day = FloorDiv(local.Local(record.time), kDay);
        if (!last || day > *last) {
            ++days;
            last = day;
        }
    }
    return days;
}

std::string SummaryLine(int days, const std::optional<BusiestHour>& busiest) {
    if (days == 0) return "No history yet: each scan is recorded here, one a minute at most.";
    std::string line = days == 1 ? "1 day of history." : std::to_string(days) + " days of history.";
    if (!busiest) return line + " No scan has found the lobby yet.";
    const long players = std::lround(busiest->average);
    char text[128];
    std::snprintf(text, sizeof text, " Usually busiest: %s %02d:00\xE2\x80\x93%02d:00, %ld %s on average.",
                  kWeekdayNames[busiest->weekday], busiest->hour, (busiest->hour + 1) % 24, players,
                  players == 1 ? "player" : "players");
    return line + text;
}
