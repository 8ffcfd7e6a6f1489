#include "history/HistoryReadout.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::size_t kListedRuns = 8;  // the busy hours a description names, at most

WallClock Wall(const HistoryPictures& p, std::int64_t utc) {
    return ToWallClock(utc, p.offset ? p.offset : UtcOffset([](std::int64_t) { return 0; }));
}

std::string TimeText(const WallClock& at) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", at.hour, at.minute);
    return text;
}

// "20:41 yesterday", "21:04 today": a moment of the last 24 hours.
std::string When(const HistoryPictures& p, std::int64_t utc) {
    const WallClock at = Wall(p, utc);
    return TimeText(at) + (at.day < Wall(p, p.day.to).day ? " yesterday" : " today");
}

std::string Average(double average) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", average);
    return text;
}

std::string RecordReadout(const HistoryPictures& p, std::size_t index) {
    const std::vector<HistoryRecord>& records = p.day.records;
    const HistoryRecord& r = records[index];
    const WallClock at = Wall(p, r.time);
    const std::string time = (at.day < Wall(p, p.day.to).day ? "Yesterday " : "") + TimeText(at);
    if (r.stopped) {
        const std::int64_t end = index + 1 < records.size() ? records[index + 1].time : p.day.to;
        return time + kEnDash + TimeText(Wall(p, end)) + kEmDash + "Wendrel was not running";
    }
    return time + kEmDash + (r.players ? PlayersText(*r.players) : "the check failed");
}

std::string CellReadout(const HistoryPictures& p, int row, int hour) {
    const TypicalWeek::Cell& cell = p.week.cells[row][hour];
    const std::string hours = std::string(kWeekdayNames[p.week.Weekday(row)]) + "s " + HoursText(hour, hour + 1);
    if (!cell.Average()) return hours + kEmDash + "no checks in this hour yet";
    return hours + kEmDash + Average(*cell.Average()) + " players on average, over " +
           Counted(cell.weeks, "week", "weeks") + "; " + std::to_string(p.threshold) + " or more in " +
           std::to_string(cell.reached) + " of " + std::to_string(cell.weeks);
}

std::string DescribeDay(const HistoryPictures& p) {
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
    if (!highest && failed == 0) return "No checks in the last 24 hours.";
    std::string text = "Players online at each check, from " + When(p, p.day.from) + " to " + When(p, p.day.to) + ".";
    if (highest)
        text += " Highest " + PlayersText(*highest->players) + ", at " + When(p, highest->time) + "; lowest " +
                PlayersText(*lowest->players) + ", at " + When(p, lowest->time) + ".";
    if (failed == 0) {
        text += " No check failed.";
    } else {
        text += ' ';
        text += Counted(failed, "check", "checks") + " failed.";
    }
    if (stops) text += " Wendrel stopped watching " + Counted(stops, "time", "times") + ".";
    return text + " The alarm is at " + PlayersText(p.threshold) + ".";
}

std::string HourName(const BusiestHour& hour) {
    return std::string(kWeekdayNames[hour.weekday]) + " " + HoursText(hour.hour, hour.hour + 1) + ", " +
           Average(hour.average) + " on average";
}

std::string DescribeWeek(const HistoryPictures& p) {
    std::string text = "Average players each hour of the week, in local time, " +
                       std::string(kWeekdayNames[p.week.firstDay]) + " first";
    const auto busiest = FindBusiestHour(p.week), quietest = FindQuietestHour(p.week);
    if (!busiest || !quietest) return text + ": no checks yet.";
    text += ", from " + Counted(p.days, "day", "days") + " of history. Busiest " + HourName(*busiest) +
            "; quietest " + HourName(*quietest) + ".";
    const std::vector<CellRun> runs = BusyRuns(p.week);
    if (p.busy.wanting > 0 || runs.empty()) return text + " " + p.usuallyBusy;
    text += " Usually " + PlayersText(p.threshold, true) + ":";
    for (std::size_t i = 0; i < std::min(runs.size(), kListedRuns); ++i)
        text += std::string(i ? ", " : " ") + kWeekdayNames[p.week.Weekday(runs[i].row)] + " " +
                HoursText(runs[i].from, runs[i].to);
    if (runs.size() > kListedRuns) text += ", and " + std::to_string(runs.size() - kListedRuns) + " more";
    return text + ".";
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
        if (const auto record = NearestRecord(pictures.day, plan.plot->TimeAt(x)))
            return {Picture::Day, *record};
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

std::string Readout(const HistoryPictures& pictures, const HistoryItem& item) {
    switch (item.picture) {
        case Picture::Day:
            if (item.record >= pictures.day.records.size()) return "No checks in the last 24 hours";
            return RecordReadout(pictures, item.record);
        case Picture::Week: return CellReadout(pictures, std::clamp(item.row, 0, 6), std::clamp(item.hour, 0, 23));
        case Picture::None: break;
    }
    return "Point at a picture, or press Tab, to read its figures.";
}

std::string PictureName(Picture picture) {
    return picture == Picture::Day ? "Last 24 hours" : picture == Picture::Week ? "A typical week" : "";
}

std::string Describe(Picture picture, const HistoryPictures& pictures) {
    return picture == Picture::Day ? DescribeDay(pictures) : picture == Picture::Week ? DescribeWeek(pictures) : "";
}
