#include "history/HistoryReadout.h"

#include <algorithm>

#include "text/Common.h"

namespace {

constexpr std::size_t kListedRuns = 8;  // the busy hours a description names, at most

WallClock Wall(const HistoryPictures& p, std::int64_t utc) {
    return ToWallClock(utc, p.offset ? p.offset : UtcOffset([](std::int64_t) { return 0; }));
}

TimeOfDay TimeAt(const WallClock& at) { return {at.hour, at.minute}; }

bool Yesterday(const HistoryPictures& p, const WallClock& at) { return at.day < Wall(p, p.day.to).day; }

// "20:41 yesterday", "21:04 today": a moment of the last 24 hours.
Message When(const HistoryPictures& p, std::int64_t utc) {
    const WallClock at = Wall(p, utc);
    return Message(Yesterday(p, at) ? Msg::HistoryWindowAtYesterday : Msg::HistoryWindowAtToday, TimeAt(at));
}

// Sentences one after the other.
Message Sentences(Message first, Message next) {
    return Message(Msg::HistoryWindowSentences, std::move(first), std::move(next));
}

Message RecordReadout(const HistoryPictures& p, std::size_t index) {
    const std::vector<HistoryRecord>& records = p.day.records;
    const HistoryRecord& r = records[index];
    const WallClock at = Wall(p, r.time);
    // The record's time first: "Yesterday 20:41", or "20:41" today.
    const auto readout = [&](Msg id, auto... rest) {
        if (Yesterday(p, at)) return Message(id, Message(Msg::HistoryWindowYesterdayAt, TimeAt(at)), rest...);
        return Message(id, TimeAt(at), rest...);
    };
    if (r.stopped) {
        const std::int64_t end = index + 1 < records.size() ? records[index + 1].time : p.day.to;
        return readout(Msg::HistoryWindowReadStopped, TimeAt(Wall(p, end)));
    }
    if (!r.players) return readout(Msg::HistoryWindowReadFailed);
    return readout(Msg::HistoryWindowReadPlayers, Count{*r.players});
}

Message CellReadout(const HistoryPictures& p, int row, int hour) {
    const TypicalWeek::Cell& cell = p.week.cells[row][hour];
    Message hours(DayPhrase(DayPhraseKind::EveryDayHours, p.week.Weekday(row)), TimeOfDay{hour, 0},
                  TimeOfDay{(hour + 1) % 24, 0});
    if (!cell.Average()) return Message(Msg::HistoryWindowReadCellEmpty, std::move(hours));
    return Message(Msg::HistoryWindowReadCell, std::move(hours), Decimal{*cell.Average(), 1}, Count{cell.weeks},
                   Int{p.threshold}, Int{cell.reached}, Int{cell.weeks});
}

Message DescribeDay(const HistoryPictures& p) {
    const HistoryRecord *highest = nullptr, *lowest = nullptr;
    int failed = 0, stops = 0;
    for (const HistoryRecord& r : p.day.records) {
        if (r.stopped || !r.players) {
            ++(r.stopped ? stops : failed);
            continue;
        }
        if (!highest || *r.players > *highest->players) highest = &r;
        if (!lowest || *r.players < *lowest->players) lowest = &r;
    }
    if (!highest && failed == 0) return Msg::HistoryWindowDescribeNoChecks;
    Message text(Msg::HistoryWindowDescribeSpan, When(p, p.day.from), When(p, p.day.to));
    if (highest)
        text = Sentences(std::move(text),
                         Message(Msg::HistoryWindowDescribeRange, Players(*highest->players), When(p, highest->time),
                                 Players(*lowest->players), When(p, lowest->time)));
    text = Sentences(std::move(text), failed == 0 ? Message(Msg::HistoryWindowDescribeNoFailure)
                                                  : Message(Msg::HistoryWindowDescribeFailures, Count{failed}));
    if (stops) text = Sentences(std::move(text), Message(Msg::HistoryWindowDescribeStops, Count{stops}));
    return Sentences(std::move(text), Message(Msg::HistoryWindowDescribeAlarm, Players(p.threshold)));
}

Message HourName(const BusiestHour& hour) {
    return Message(Msg::HistoryWindowHourAverage, DayHours(hour.weekday, hour.hour, hour.hour + 1),
                   Decimal{hour.average, 1});
}

Message DescribeWeek(const HistoryPictures& p) {
    const Message first(DayPhrase(DayPhraseKind::FirstDay, p.week.firstDay));
    const auto busiest = FindBusiestHour(p.week), quietest = FindQuietestHour(p.week);
    if (!busiest || !quietest) return Message(Msg::HistoryWindowDescribeWeekEmpty, first);
    Message text(Msg::HistoryWindowDescribeWeek, first, Count{p.days}, HourName(*busiest), HourName(*quietest));
    const std::vector<CellRun> runs = BusyRuns(p.week);
    if (p.busy.wanting > 0 || runs.empty()) return Sentences(std::move(text), p.usuallyBusy);
    const auto runHours = [&](const CellRun& run) { return DayHours(p.week.Weekday(run.row), run.from, run.to); };
    Message list = runHours(runs.front());
    for (std::size_t i = 1; i < std::min(runs.size(), kListedRuns); ++i)
        list = Message(Msg::HistoryWindowListNext, std::move(list), runHours(runs[i]));
    if (runs.size() > kListedRuns)
        list = Message(Msg::HistoryWindowListMore, std::move(list),
                       Count{static_cast<std::int64_t>(runs.size() - kListedRuns)});
    return Sentences(std::move(text),
                     Message(Msg::HistoryWindowDescribeBusyHours, Count{p.threshold}, std::move(list)));
}

}  // namespace

std::optional<std::size_t> NearestRecord(const DaySeries& day, std::int64_t t) {
    const std::vector<HistoryRecord>& records = day.records;
    if (records.empty()) return std::nullopt;
    auto at = std::lower_bound(records.begin(), records.end(), t,
                               [](const HistoryRecord& r, std::int64_t time) { return r.time < time; });
    if (at == records.end() || (at != records.begin() && t - std::prev(at)->time <= at->time - t)) --at;
    return static_cast<std::size_t>(at - records.begin());
}

HistoryItem ItemAt(const HistoryPlan& plan, const HistoryPictures& pictures, int x, int y) {
    if (plan.plot && plan.day.Contains(x, y) && x >= plan.plot->box.left && x <= plan.plot->box.right)
        if (const auto record = NearestRecord(pictures.day, plan.plot->TimeAt(x))) return {Picture::Day, *record};
    if (plan.grid && plan.grid->box.Contains(x, y)) {
        const WeekGrid& g = *plan.grid;
        int row = 6, hour = 23;
        while (row > 0 && g.CellTop(row) > y) --row;
        while (hour > 0 && g.CellLeft(hour) > x) --hour;
        return {Picture::Week, 0, row, hour};
    }
    return {};
}

HistoryItem MoveCursor(HistoryItem item, CursorKey key, const HistoryPictures& pictures) {
    if (item.picture == Picture::Day) {
        const std::size_t count = pictures.day.records.size();
        if (count == 0) return item;
        std::size_t& at = item.record;
        at = std::min(at, count - 1);
        if (key == CursorKey::Left && at > 0) --at;
        if (key == CursorKey::Right && at + 1 < count) ++at;
        if (key == CursorKey::Home) at = 0;
        if (key == CursorKey::End) at = count - 1;
    } else if (item.picture == Picture::Week) {
        int cell = std::clamp(item.row * 24 + item.hour, 0, kWeekHours - 1);
        if (key == CursorKey::Left) cell = std::max(0, cell - 1);
        if (key == CursorKey::Right) cell = std::min(kWeekHours - 1, cell + 1);
        if (key == CursorKey::Up && cell >= 24) cell -= 24;
        if (key == CursorKey::Down && cell + 24 < kWeekHours) cell += 24;
        if (key == CursorKey::Home) cell -= cell % 24;
        if (key == CursorKey::End) cell += 23 - cell % 24;
        item.row = cell / 24;
        item.hour = cell % 24;
    }
    return item;
}

HistoryItem FirstCursor(Picture picture, const HistoryPictures& pictures) {
    if (picture == Picture::Day) return {picture, pictures.day.records.empty() ? 0 : pictures.day.records.size() - 1};
    if (picture != Picture::Week) return {};
    const WallClock now = Wall(pictures, pictures.day.to);
    return {picture, 0, pictures.week.Row(now.weekday), now.hour};
}

Message Readout(const HistoryPictures& pictures, const HistoryItem& item) {
    switch (item.picture) {
        case Picture::Day:
            if (item.record >= pictures.day.records.size()) return Msg::HistoryWindowReadNoChecks;
            return RecordReadout(pictures, item.record);
        case Picture::Week: return CellReadout(pictures, std::clamp(item.row, 0, 6), std::clamp(item.hour, 0, 23));
        case Picture::None: break;
    }
    return Msg::HistoryWindowReadHelp;
}

Message PictureName(Picture picture) {
    return picture == Picture::Week ? Msg::HistoryWindowWeekName : Msg::HistoryWindowDayTitle;
}

Message Describe(Picture picture, const HistoryPictures& pictures) {
    return picture == Picture::Week ? DescribeWeek(pictures) : DescribeDay(pictures);
}
