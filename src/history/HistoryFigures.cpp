#include "history/HistoryFigures.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

#include "text/Common.h"
#include "text/Texts.h"

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

// A local time in seconds on the wall clock.
WallClock FromLocal(std::int64_t local) {
    const std::int64_t day = FloorDiv(local, kDay), second = local - day * kDay;
    return {day, WeekdayOf(day), static_cast<int>(second / kHour), static_cast<int>(second % kHour / 60)};
}

// The start of the local hour that holds utc, in UTC.
std::int64_t HourStart(std::int64_t utc, const UtcOffset& offset) {
    const std::int64_t local = utc + offset(utc) * 60;
    return utc - (local - FloorDiv(local, kHour) * kHour);
}

const TypicalWeek::Cell& CellAt(const TypicalWeek& week, std::int64_t utc, const UtcOffset& offset) {
    const WallClock at = ToWallClock(utc, offset);
    return week.cells[week.Row(at.weekday)][at.hour];
}

// The hour whose average comes first by better, the earliest of equals.
template <typename Better>
std::optional<BusiestHour> FindHour(const TypicalWeek& week, Better better) {
    std::optional<BusiestHour> found;
    for (int row = 0; row < 7; ++row)
        for (int hour = 0; hour < 24; ++hour)
            if (const auto average = week.cells[row][hour].Average();
                average && (!found || better(*average, found->average)))
                found = BusiestHour{week.Weekday(row), hour, *average};
    return found;
}

// Each phrase's Monday message; the template keeps the seven days of a phrase
// together, Monday to Sunday, so the day's own is that many further on.
constexpr Msg kMondayOf[] = {Msg::HistoryWindowMondayHours, Msg::HistoryWindowNextMondayHours,
                             Msg::HistoryEvidenceMonday, Msg::HistoryWindowMondaysHours, Msg::HistoryWindowMondayFirst};

int Weekday(int weekday) { return (weekday % 7 + 7) % 7; }
TimeOfDay Hour(int hour) { return {(hour % 24 + 24) % 24, 0}; }

// The hours of a span as the days ahead name them: "today 19:00–23:00",
// "tomorrow …", "Saturday …", "next Saturday …".
Message WhenHours(std::int64_t daysAhead, int weekday, int from, int to) {
    if (daysAhead == 0) return Message(Msg::HistoryWindowTodayHours, Hour(from), Hour(to));
    if (daysAhead == 1) return Message(Msg::HistoryWindowTomorrowHours, Hour(from), Hour(to));
    if (daysAhead >= 7) return Message(DayPhrase(DayPhraseKind::NextDayHours, weekday), Hour(from), Hour(to));
    return DayHours(weekday, from, to);
}

}  // namespace

Msg DayPhrase(DayPhraseKind phrase, int weekday) {
    return static_cast<Msg>(static_cast<int>(kMondayOf[static_cast<int>(phrase)]) + Weekday(weekday));
}

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

TypicalWeek ComputeTypicalWeek(std::span<const HistoryRecord> records, const UtcOffset& offset, int firstDay,
                               std::int32_t threshold) {
    TypicalWeek week;
    week.firstDay = firstDay;
    CachedOffset local(offset);
    // The local day each hour last counted a week in, and a week that reached
    // the threshold: records come in time order, so each hour's days do too.
    std::array<std::array<std::int64_t, 24>, 7> counted, reached;
    for (auto& row : counted) row.fill(INT64_MIN);
    reached = counted;
    for (const HistoryRecord& record : records) {
        if (!record.players) continue;
        const WallClock at = FromLocal(local.Local(record.time));
        const int row = week.Row(at.weekday);
        TypicalWeek::Cell& cell = week.cells[row][at.hour];
        cell.sum += *record.players;
        ++cell.count;
        if (std::exchange(counted[row][at.hour], at.day) != at.day) ++cell.weeks;
        if (*record.players >= threshold && std::exchange(reached[row][at.hour], at.day) != at.day) ++cell.reached;
    }
    return week;
}

WallClock ToWallClock(std::int64_t utc, const UtcOffset& offset) { return FromLocal(utc + offset(utc) * 60); }

UsuallyBusy FindUsuallyBusy(std::span<const HistoryRecord> past, const TypicalWeek& week, std::int64_t now,
                            const UtcOffset& offset) {
    UsuallyBusy busy;
    const auto first = std::find_if(past.begin(), past.end(), [](const HistoryRecord& r) { return r.IsScan(); });
    busy.wanting = std::max<std::int64_t>(0, kBusyHistory - (first == past.end() ? 0 : now - first->time));
    if (busy.wanting > 0) return busy;
    // Hour by hour of the wall clock: the hour the clocks skip is no hour,
    // the one they repeat comes twice.
    const auto isBusy = [&](std::int64_t hour) { return CellAt(week, hour, offset).UsuallyBusy(); };
    const auto next = [&](std::int64_t hour) { return HourStart(hour + kHour, offset); };
    const auto previous = [&](std::int64_t hour) { return HourStart(hour - 1, offset); };
    std::int64_t start = HourStart(now, offset);
    if (isBusy(start)) {
        for (int i = 1; i < kWeekHours && isBusy(previous(start)); ++i) start = previous(start);
    } else {
        for (int i = 0; i < kWeekHours && !isBusy(start); ++i) start = next(start);
        if (!isBusy(start)) return busy;
    }
    BusySpan span{start, start, ToWallClock(start, offset).weekday};
    for (int i = 0; i < kWeekHours && isBusy(span.end); ++i) {
        const TypicalWeek::Cell& cell = CellAt(week, span.end, offset);
        if (i == 0 || std::int64_t{cell.reached} * span.weeks < std::int64_t{span.reached} * cell.weeks) {
            span.reached = cell.reached;
            span.weeks = cell.weeks;
        }
        span.end = next(span.end);
    }
    busy.next = span;
    return busy;
}

std::vector<CellRun> BusyRuns(const TypicalWeek& week) {
    std::vector<CellRun> runs;
    for (int row = 0; row < 7; ++row)
        for (int hour = 0; hour < 24; ++hour) {
            if (!week.cells[row][hour].UsuallyBusy()) continue;
            if (!runs.empty() && runs.back().row == row && runs.back().to == hour)
                ++runs.back().to;
            else
                runs.push_back({row, hour, hour + 1});
        }
    return runs;
}

std::optional<BusiestHour> FindBusiestHour(const TypicalWeek& week) { return FindHour(week, std::greater<>()); }

std::optional<BusiestHour> FindQuietestHour(const TypicalWeek& week) { return FindHour(week, std::less<>()); }

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

Message SummaryLine(int days, const std::optional<BusiestHour>& busiest) {
    if (days == 0) return Msg::HistoryWindowNoHistory;
    if (!busiest) return Message(Msg::HistoryWindowDaysNoScan, Count{days});
    return Message(Msg::HistoryWindowDaysBusiest, Count{days},
                   DayHours(busiest->weekday, busiest->hour, busiest->hour + 1),
                   Players(std::lround(busiest->average)));
}

Message DayHours(int weekday, int from, int to) {
    return Message(DayPhrase(DayPhraseKind::DayHours, weekday), Hour(from), Hour(to));
}

Message SpanEvidence(const BusySpan& span) {
    return Message(DayPhrase(DayPhraseKind::Evidence, span.weekday), Int{span.reached}, Count{span.weeks});
}

Message UsuallyBusyLine(const UsuallyBusy& busy, std::int32_t threshold, std::int64_t now, const UtcOffset& offset) {
    if (busy.wanting > 0)
        return Message(Msg::HistoryWindowBusyWanting, Int{threshold}, Count{(busy.wanting + kDay - 1) / kDay});
    if (!busy.next) return Message(Msg::HistoryWindowBusyRarely, Count{threshold});
    const BusySpan& span = *busy.next;
    const WallClock from = ToWallClock(span.start, offset), to = ToWallClock(span.end, offset);
    Message when = span.start <= now
                       ? Message(Msg::HistoryWindowNowUntil, Hour(to.hour))
                       : WhenHours(from.day - ToWallClock(now, offset).day, from.weekday, from.hour, to.hour);
    return Message(Msg::HistoryWindowBusyUsually, Count{threshold}, std::move(when), SpanEvidence(span));
}

Message BusySoonReminder(const BusySpan& span, std::int32_t threshold, std::int64_t now, const UtcOffset& offset) {
    const WallClock from = ToWallClock(span.start, offset);
    const Msg id = from.day == ToWallClock(now, offset).day ? Msg::HistoryRemindToday : Msg::HistoryRemindAnotherDay;
    return Message(id, Count{threshold}, Hour(from.hour), SpanEvidence(span));
}

std::string PlayersText(std::int64_t count) { return InEnglish(Players(count)); }

bool BusyReminder::Due(const BusySpan& next, std::int64_t now) {
    if (now < next.start - kLead || now >= next.start || next.start < remindedUntil_) return false;
    remindedUntil_ = next.end;
    return true;
}
