#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>

#include "FakeMonitor.h"
#include "MemoryHistoryFile.h"
#include "history/HistoryChart.h"
#include "history/HistoryFigures.h"
#include "history/HistoryReadout.h"
#include "history/PlayerHistory.h"
#include "monitor/BusySoon.h"

// A message as failures show it: its English.
void PrintTo(const Message& message, std::ostream* out) { *out << InEnglish(message); }

namespace {

constexpr std::int64_t kMinute = 60, kHour = 3600, kDay = 86400;

std::vector<std::string> English(const std::vector<Message>& messages) {
    std::vector<std::string> texts;
    for (const Message& m : messages) texts.push_back(InEnglish(m));
    return texts;
}

// The main form over a faked world, with its history kept in memory and a History window.
struct HistoryMonitorTest : ::testing::Test, FakeWorld {
    MemoryHistoryFile file;
    PlayerHistory history{file};
    FakeHistoryView historyView;
    frmWendrel form{WithHistory()};

    MonitorDeps WithHistory() {
        MonitorDeps deps = Deps();
        deps.history = &history;
        deps.historyView = &historyView;
        return deps;
    }
};
constexpr std::int64_t kNow = 1796677445;                  // Monday 2026-12-07 21:04:05 UTC
constexpr std::int64_t kSaturday = 1797033600;             // 2026-12-12 00:00 UTC
constexpr std::int64_t kEvening = kSaturday + 19 * kHour;  // when its usually busy span starts
const UtcOffset kUtc = [](std::int64_t) { return 0; };

// A history over file, loaded as a start at now loads it.
struct Loaded : PlayerHistory {
    Loaded(HistoryFile& file, std::int64_t now) : PlayerHistory(file) { Load(now); }
};

TEST(HistoryRecordTest, LinesInAndOut) {
    const std::pair<const char*, std::optional<HistoryRecord>> lines[] = {
        {"2026-12-07 21:04:05,14,ok", HistoryRecord{kNow, 14}},
        {"2026-12-07 21:04:05,,failed", HistoryRecord{kNow, std::nullopt}},
        {"2026-12-07 21:04:05,,stopped", HistoryRecord{kNow, std::nullopt, true}},
        {"2026-12-07 21:04:05,0,ok\r", HistoryRecord{kNow, 0}},
        {"1970-01-01 00:00:00,3,ok", HistoryRecord{0, 3}},
        {"2028-02-29 23:59:59,1,ok", HistoryRecord{1835481599, 1}},
        {"2026-12-07 21:04:05,2147483647,ok", HistoryRecord{kNow, INT32_MAX}},  // a total over servers
        // The form earlier versions wrote, read but no longer written.
        {"2026-12-07T21:04:05Z,14,ok", HistoryRecord{kNow, 14}},
        {"2026-12-07T21:04:05Z,,failed", HistoryRecord{kNow, std::nullopt}},
        // Damaged or foreign lines.
        {"2027-02-29 10:00:00,1,ok", std::nullopt},  // no such day
        {"2026-12-07 24:00:00,1,ok", std::nullopt},
        {"07/12/2026 21:04,14,ok", std::nullopt},  // as a spreadsheet may save it
        {"2026-12-07 21:04:05Z,14,ok", std::nullopt},
        {"2026-12-07T21:04:05,14,ok", std::nullopt},
        {"2026-12-07 21:04:05,3,stopped", std::nullopt},  // a stop has no count
        {"2026-12-07T21:04:05Z,14", std::nullopt},
        {"2026-12-07T21:04:05Z,,ok", std::nullopt},       // ok needs a count
        {"2026-12-07T21:04:05Z,0,failed", std::nullopt},  // a failure has none
        {"2026-12-07T21:04:05Z,-3,ok", std::nullopt},
        {"2026-12-07 21:04:05,2147483648,ok", std::nullopt},
        {"Time (UTC),Players,Scan", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [line, record] : lines) {
        EXPECT_EQ(ParseRecord(line), record) << line;
        if (record && std::string(line).back() != '\r' && line[10] == ' ') {
            EXPECT_EQ(FormatRecord(*record), line);
        }
    }
}

TEST(HistoryRecordTest, AFileWithDamagedLinesKeepsTheRestInTimeOrder) {
    const ParsedHistory parsed = ParseHistory(
        "\xEF\xBB\xBFTime (UTC),Players,Scan\r\n"  // as a spreadsheet saves it, with a BOM
        "2026-12-07T21:05:00Z,5,ok\r\n"
        "garbage\r\n"
        "2026-12-07T21:04:00Z,,failed\n"
        "2026-12-07T21:0");  // a line cut off by a crash
    EXPECT_TRUE(parsed.header);
    EXPECT_EQ(parsed.unreadable, (std::vector<std::string>{"garbage", "2026-12-07T21:0"}));
    ASSERT_EQ(parsed.records.size(), 2u);
    EXPECT_EQ(parsed.records[0], (HistoryRecord{kNow - 5, std::nullopt}));
    EXPECT_EQ(parsed.records[1], (HistoryRecord{kNow + 55, 5}));
    EXPECT_EQ(ParseHistory(FormatHistory(parsed.records)).records, parsed.records);
}

TEST(PlayerHistoryTest, AtMostOneRecordAMinuteEachOneLineAppended) {
    MemoryHistoryFile file;
    Loaded history(file, kNow);
    const std::int64_t minute = kNow / 60 * 60;
    const struct {
        std::int64_t at;
        bool recorded;
    } kScans[] = {
        {minute, true},
        {minute + 20, false},
        {minute + 59, false},
        {minute + 60, true},
        {minute + 61, false},
        {minute + 200, true},
        {minute - kHour, true},  // the clock set back an hour: a minute of
                                 // its own
        {minute + 30, false},    // set back into a minute that has a scan
    };
    for (std::size_t i = 0; i < std::size(kScans); ++i)
        EXPECT_EQ(history.Add(kScans[i].at, static_cast<std::int32_t>(i)), kScans[i].recorded) << i;
    EXPECT_EQ(history.Records().size(), 4u);
    EXPECT_EQ(file.appends, 4);
    EXPECT_EQ(file.text,
              "Time (UTC),Players,Scan\r\n"
              "2026-12-07 21:04:00,0,ok\r\n2026-12-07 21:05:00,3,ok\r\n2026-12-07 21:07:20,5,ok\r\n"
              "2026-12-07 20:04:00,6,ok\r\n");
    EXPECT_EQ(file.replaces, 0);
    EXPECT_TRUE(history.TakeNotices().empty());

    // After a restart too; a stop takes no scan's minute, and comes once.
    Loaded again(file, kNow);
    for (const auto& scan : kScans) EXPECT_FALSE(again.Add(scan.at + 1, 1)) << scan.at - minute;
    EXPECT_TRUE(again.MarkStopped(minute + 230));
    EXPECT_FALSE(again.MarkStopped(minute + 235));
    EXPECT_TRUE(again.Add(minute + 240, 1));
    EXPECT_EQ(ParseHistory(file.text).records, again.Records());
}

// What a start keeps, and where the rest goes: nothing is dropped without a
// copy unless it is old, and a clock that runs ahead drops nothing.
TEST(PlayerHistoryTest, StartDropsWhatIsOlderThan90DaysInOneRewrite) {
    std::vector<HistoryRecord> tenDays;
    for (int day = 9; day >= 0; --day) tenDays.push_back({kNow - (day == 9 ? 91 : day * 10) * kDay, day});
    const std::string header = "Time (UTC),Players,Scan\r\n";
    const struct {
        const char* what;
        std::string text;
        std::int64_t now;
        std::size_t kept;
        std::string backup;  // what the .bak file gets: the records dropped, after what it had
        std::string unreadable;
    } kCases[] = {
        {"old records and a foreign line",
         FormatHistory({{kNow - 91 * kDay, 1}, {kNow - 89 * kDay, 2}, {kNow - kHour, std::nullopt}}) +
             "a line of something else\r\n",
         kNow, 2, FormatRecord({kNow - 91 * kDay, 1}) + "\r\n", "a line of something else\r\n"},
        {"a tenth of the records dropped: no copy", FormatHistory(tenDays), kNow, 9, "", ""},
        {"a clock a year ahead", FormatHistory({{kNow - 89 * kDay, 2}, {kNow - kHour, 3}}), kNow + 365 * kDay, 2, "",
         ""},
        {"saved by a spreadsheet", header + "07/12/2026 21:04,14,ok\r\n07/12/2026 21:09,,failed\r\n", kNow, 0, "",
         "07/12/2026 21:04,14,ok\r\n07/12/2026 21:09,,failed\r\n"},
        {"no header", "2026-12-07T20:04:05Z,3,ok\n", kNow, 1, "", ""},
    };
    const std::string earlierCopy = FormatHistory({{kNow - 400 * kDay, 9}});
    for (const auto& c : kCases) {
        MemoryHistoryFile file;
        file.text = c.text;
        file.beside[".bak"] = earlierCopy;
        Loaded history(file, c.now);
        EXPECT_EQ(history.Records().size(), c.kept) << c.what;
        EXPECT_EQ(ParseHistory(file.text).records, history.Records()) << c.what;
        EXPECT_EQ(ParseHistory(file.text).unreadable.size(), 0u) << c.what;
        EXPECT_EQ(file.beside[".bak"], earlierCopy + c.backup) << c.what << ": never replaced";
        EXPECT_EQ(file.beside[".bad"], c.unreadable) << c.what;
        const bool rewritten = file.text != c.text;
        EXPECT_EQ(history.TakeNotices().size(), !c.backup.empty() + !c.unreadable.empty()) << c.what;

        Loaded again(file, c.now);  // nothing to drop: no rewrite
        EXPECT_EQ(file.replaces, rewritten ? 1 : 0) << c.what;
        EXPECT_TRUE(again.TakeNotices().empty()) << c.what;
    }

    // The record made while the clock ran ahead counts for no day once it is right.
    MemoryHistoryFile file;
    file.text = kCases[2].text;
    Loaded ahead(file, kNow + 365 * kDay);
    ahead.Add(kNow + 365 * kDay, 7);
    Loaded right(file, kNow);
    EXPECT_EQ(right.Records().size(), 3u);
    EXPECT_EQ(
        WorkOutPictures(right.Records(), kNow, kUtc, 0, 5, EnglishTexts()).summary,
        Message(Msg::HistoryWindowDaysBusiest, Count{2}, DayHours(0, 20, 21), Message(Msg::CommonPlayers, Count{3})));
}

// Two starts a year ahead with a check between them, then the clock put
// right: the checks far ahead of the rest decide nothing, every start keeps
// every record, and the one that finds them ahead of its clock says so.
TEST(PlayerHistoryTest, AClockSetAheadDropsNothingOfTheRest) {
    std::vector<HistoryRecord> days;
    for (int day = 60; day >= 1; --day) days.push_back({kNow - day * kDay, day});
    MemoryHistoryFile file;
    file.text = FormatHistory(days);
    for (const std::int64_t now : {kNow + 365 * kDay, kNow + 365 * kDay + kHour, kNow}) {
        Loaded history(file, now);
        EXPECT_EQ(std::vector(history.Records().begin(), history.Records().begin() + 60), days) << now;
        EXPECT_EQ(history.TakeNotices(),
                  now == kNow ? std::vector{Message(Msg::HistoryAhead, Count{2})} : std::vector<Message>{});
        history.Add(now, 1);
    }
    EXPECT_EQ(file.beside.count(".bak"), 0u);
}

// While the file is held open its unreadable lines are copied to .bad once,
// however many starts find them, and said to be moved when they leave it.
TEST(PlayerHistoryTest, AnUnreadableLineGoesToBadOnce) {
    MemoryHistoryFile file;
    file.text = FormatHistory({{kNow - kHour, 3}}) + "07/12/2026 21:04,14,ok\r\n";
    const std::string bad = "C:\\h\\history.csv.bad";
    const Message held(Msg::HistoryLeftNotRewritten, file.Path(), std::string("Access is denied"));
    const std::vector<Message> said[] = {{Message(Msg::HistoryUnreadableCopied, Count{1}, bad), held},
                                         {held},
                                         {Message(Msg::HistoryUnreadableMoved, Count{1}, bad)}};
    for (int start = 0; start < 3; ++start) {
        file.failReplace = start < 2;
        Loaded history(file, kNow);
        EXPECT_EQ(history.TakeNotices(), said[start]) << start;
        EXPECT_EQ(file.beside[".bad"], "07/12/2026 21:04,14,ok\r\n") << start;
    }
}

// A Wendrel that runs for months keeps 90 days in memory and in the file:
// once a day the older records go, as at a start, a day's at a time.
TEST(PlayerHistoryTest, RunningForMonthsKeepsNinetyDays) {
    MemoryHistoryFile file;
    Loaded history(file, kNow);
    const std::int64_t end = kNow + 120 * kDay;
    for (std::int64_t t = kNow; t < end; t += 2 * kHour) history.Add(t, 1);
    // Ninety days back from the last scan, and at most a day's more.
    const std::int64_t kept = end - 2 * kHour - history.Records().front().time;
    EXPECT_GE(kept, 90 * kDay);
    EXPECT_LE(kept, 91 * kDay);
    EXPECT_EQ(ParseHistory(file.text).records, history.Records());
    EXPECT_TRUE(history.TakeNotices().empty());
}

TEST(PlayerHistoryTest, AFileThatCannotBeUsedIsReportedOnce) {
    struct Case {
        bool failRead, failAppend;
        const char* problem;
    };
    for (const Case& c :
         {Case{true, false, "No history is kept: the history file C:\\h\\history.csv cannot be read"},
          Case{false, true, "History not saved: the history file C:\\h\\history.csv cannot be written"}}) {
        MemoryHistoryFile file;
        file.text = FormatHistory({{kNow - kHour, 3}});
        file.failRead = c.failRead;
        file.failAppend = c.failAppend;
        Loaded history(file, kNow);
        history.Add(kNow, 4);
        EXPECT_EQ(English(history.TakeNotices()),
                  std::vector<std::string>{std::string(c.problem) + ": Access is denied"});
        history.Add(kNow + kMinute, 5);
        EXPECT_TRUE(history.TakeNotices().empty()) << "said once";
        EXPECT_EQ(file.appends, 0);
        // This run's scans are still shown.
        EXPECT_EQ(history.Records().size(), c.failRead ? 2u : 3u);
    }

    // Held open by a spreadsheet: the records wait, a day's at most, and go
    // in with the next write that works; each spell of failures is said.
    MemoryHistoryFile file;
    Loaded history(file, kNow);
    file.failAppend = true;
    const std::int64_t waits = PlayerHistory::kMostWaiting + 2;
    for (std::int64_t i = 0; i <= waits; ++i) {
        file.failAppend = i < waits;
        history.Add(kNow + i * kMinute, static_cast<std::int32_t>(i % 50));
    }
    EXPECT_EQ(English(history.TakeNotices()),
              (std::vector<std::string>{
                  "History not saved: the history file C:\\h\\history.csv cannot be written: Access is denied",
                  "History saved again, with 1439 records that waited (3 older records could not wait)"}));
    const std::vector<HistoryRecord> lastDay(history.Records().end() - PlayerHistory::kMostWaiting,
                                             history.Records().end());
    EXPECT_EQ(ParseHistory(file.text).records, lastDay);
    file.failAppend = true;
    history.Add(kNow + (waits + 1) * kMinute, 1);
    EXPECT_EQ(history.TakeNotices().size(), 1u) << "a new spell of failures";
}

// Held open without sharing at start: the run's checks are kept in memory
// and nothing is written; the first save once the file reads tidies it as a
// start would and adds every check of the run, once each. A file that then
// reads but cannot be written for over a day gives up none of them.
TEST(PlayerHistoryTest, AFileUnreadableAtStartGetsTheRunsChecksOnceItReads) {
    // One record too old, too few to be backed up first: the file is rewritten without it.
    std::vector<HistoryRecord> onDisk = {{kNow - 95 * kDay, 1}};
    for (int day = 10; day >= 1; --day) onDisk.push_back({kNow - day * kDay, day});
    const std::string cannot = "the history file C:\\h\\history.csv cannot be ";
    const std::string unread = "No history is kept: " + cannot + "read: Access is denied",
                      unsaved = "History not saved: " + cannot + "written: Access is denied";
    const struct {
        std::size_t later;  // checks after the one that reads the file, all but the last unwritten
        std::vector<std::string> said;
    } kCases[] = {
        {0, {unread, "History saved again, with 4 records that waited"}},
        {PlayerHistory::kMostWaiting + 4,
         {unread, unsaved, "History saved again, with 1444 records that waited (4 older records could not wait)"}},
    };
    for (const auto& c : kCases) {
        MemoryHistoryFile file;
        file.text = FormatHistory(onDisk);
        file.failRead = true;
        Loaded history(file, kNow);
        std::vector<HistoryRecord> before = {{kNow, 5}, {kNow + kMinute, std::nullopt}, {kNow + 2 * kMinute, 6}};
        for (const HistoryRecord& r : before) history.Add(r.time, r.players);
        history.MarkStopped(kNow + 3 * kMinute);
        before.push_back({kNow + 3 * kMinute, std::nullopt, true});
        EXPECT_EQ(history.Records(), before);
        EXPECT_EQ(file.text, FormatHistory(onDisk)) << "nothing written while it cannot be read";

        file.failRead = false;
        file.failAppend = c.later > 0;
        before.push_back({kNow + kHour, 7});
        history.Add(kNow + kHour, 7);
        std::vector<HistoryRecord> later;
        for (std::size_t i = 1; i <= c.later; ++i) {
            later.push_back({kNow + kHour + static_cast<std::int64_t>(i) * kMinute, 8});
            file.failAppend = i < c.later;
            history.Add(later.back().time, 8);
        }
        std::vector<HistoryRecord> shown(onDisk.begin() + 1, onDisk.end());
        shown.insert(shown.end(), before.begin(), before.end());
        std::vector<HistoryRecord> saved = shown;
        shown.insert(shown.end(), later.begin(), later.end());
        saved.insert(saved.end(),
                     later.end() - static_cast<std::ptrdiff_t>(std::min(later.size(), PlayerHistory::kMostWaiting)),
                     later.end());
        EXPECT_EQ(English(history.TakeNotices()), c.said) << c.later;
        EXPECT_EQ(history.Records(), shown) << c.later;
        EXPECT_EQ(ParseHistory(file.text).records, saved) << c.later;
        EXPECT_EQ(file.replaces, 1) << c.later;
    }
}

// Each completed scan is recorded, a failed one as a failure; an unwritable
// history shows once in the status line, and the scan goes on.
TEST_F(HistoryMonitorTest, TheMonitorRecordsEveryCompletedScan) {
    file.failAppend = true;
    inet.ServePage(StatusPage("6"));
    form.Form_Initialize();
    form.Form_Load();
    EXPECT_EQ(view.statusLine,
              "Last scan 21:04:05: 6 players\r\nHistory not saved: the history file C:\\h\\history.csv cannot be "
              "written: Access is denied");
    EXPECT_EQ(log.Count("history: History not saved"), 1);
    file.failAppend = false;
    clock.utc += kMinute;
    inet.Fail(NoAnswer());
    form.btnRescan_Click();
    EXPECT_EQ(view.statusLine,
              "Last scan 21:04:05 failed: the server did not answer within 30 s\r\nHistory saved again, with 1 "
              "record that waited");
    EXPECT_EQ(history.Records(), (std::vector<HistoryRecord>{{kNow, 6}, {kNow + kMinute, std::nullopt}}));
    EXPECT_EQ(historyView.updates, 2);
    form.btnRescan_Click();  // the same minute: nothing new to draw
    EXPECT_EQ(historyView.updates, 2);
    form.btnHistory_Click();
    EXPECT_EQ(historyView.shows, 1);
    // A sleep and Exit mark where the watching stopped; an open window draws it.
    clock.utc += kMinute;
    form.OnSuspend();
    EXPECT_EQ(ParseHistory(file.text).records.back(), (HistoryRecord{kNow + 2 * kMinute, std::nullopt, true}));
    EXPECT_EQ(historyView.updates, 3);
    clock.utc += kMinute;
    form.btnRescan_Click();
    form.mnuQuit_Click();
    EXPECT_EQ(ParseHistory(file.text).records.back(), (HistoryRecord{kNow + 3 * kMinute, std::nullopt, true}));
}

// Central Europe in 2027: an hour ahead of UTC, two in summer, from
// 2027-03-28T01:00:00Z to 2027-10-31T01:00:00Z.
int CentralEurope(std::int64_t utc) { return utc >= 1806195600 && utc < 1824944400 ? 120 : 60; }

TEST(HistoryFiguresTest, HoursOfTheWeekInLocalTimeAcrossDaylightSavingAndTheYearsEnd) {
    const std::int64_t saturday2230 = 1806186600;  // 2027-03-27T22:30Z: Saturday 23:30 local
    const std::vector<HistoryRecord> records = {
        {saturday2230, 4},                            // Saturday 23:30 (UTC+1)
        {saturday2230 + kHour, 6},                    // Sunday 00:30
        {saturday2230 + 3 * kHour, 10},               // 02:30 UTC+1 does not exist: 03:30 in UTC+2
        {saturday2230 + 4 * kHour, 20},               // 04:30
        {saturday2230 + 5 * kHour, std::nullopt},     // a failure counts nowhere
        {1830292200, 3},                              // 2027-12-31T22:30Z: Friday 23:30 local
        {1830292200 + kHour, 5},                      // 2028-01-01 00:30: Saturday
        {1830292200 + kHour + 60, 9},                 // the same hour: the average is 7
        {1830292200 + 2 * kDay, std::nullopt, true},  // a stop: no scan, and no day of its own
    };
    const TypicalWeek week = ComputeTypicalWeek(records, CentralEurope, 0, 5);
    // Each hour's average by weekday (0: Monday); none in the hour the clocks skipped.
    const std::tuple<int, int, std::optional<double>> averages[] = {
        {5, 23, 4.0}, {6, 0, 6.0}, {6, 2, std::nullopt}, {6, 3, 10.0}, {6, 4, 20.0}, {4, 23, 3.0}, {5, 0, 7.0}};
    for (const auto& [weekday, hour, average] : averages)
        EXPECT_EQ(week.cells[(weekday - week.firstDay + 7) % 7][hour].Average(), average) << weekday << " " << hour;
    EXPECT_EQ(week.cells[5][0].weeks * 10 + week.cells[5][0].reached, 11) << "two scans of one hour are one week";
    EXPECT_EQ(week.cells[6][3].reached + week.cells[6][4].reached + week.cells[5][23].reached, 2);
    int filled = 0;
    for (const auto& row : week.cells)
        filled += static_cast<int>(std::count_if(row.begin(), row.end(), [](auto& c) { return c.count > 0; }));
    EXPECT_EQ(filled, 6);

    const TypicalWeek sundayFirst = ComputeTypicalWeek(records, CentralEurope, 6, 5);
    EXPECT_EQ(sundayFirst.Weekday(0), 6);
    EXPECT_EQ(sundayFirst.cells[0][4].Average(), 20.0);
    EXPECT_EQ(DaysOfHistory(records, CentralEurope), 4);

    // St John's goes from 02:00 NST (UTC-3:30) to 03:00 NDT (UTC-2:30) at
    // 05:30 UTC on 8 March 2026, in the middle of a UTC hour.
    const auto stJohns = [](std::int64_t utc) { return utc >= 1772947800 ? -150 : -210; };
    const std::vector<HistoryRecord> change = {{1772947800 - 600, 2}, {1772947800, 10}, {1772947800 + 1200, 10}};
    const auto busiest = FindBusiestHour(ComputeTypicalWeek(change, stJohns, 0, 5));
    ASSERT_TRUE(busiest);
    EXPECT_EQ(busiest->weekday * 100 + busiest->hour, 603) << "Sunday 03:00 NDT";
    EXPECT_EQ(ComputeTypicalWeek(change, stJohns, 0, 5).cells[6][1].Average(), 2.0) << "01:50 NST";
}

// A scan at ten past each hour of days days up to end, with the players the
// wall clock gives.
std::vector<HistoryRecord> Hourly(std::int64_t end, int days, const UtcOffset& zone,
                                  const std::function<std::int32_t(const WallClock&)>& players) {
    std::vector<HistoryRecord> records;
    for (std::int64_t t = end - days * kDay + 10 * kMinute; t < end; t += kHour)
        records.push_back({t, players(ToWallClock(t, zone))});
    return records;
}

// Saturdays 19:00 to 23:00 are busy, but for 22:00 on one Saturday in three.
std::int32_t SaturdayEvenings(const WallClock& at) {
    const bool busy = at.weekday == 5 && at.hour >= 19 && at.hour < 23 && !(at.hour == 22 && at.day % 3 == 0);
    return busy ? 5 : 1;
}

// The next usually busy hours from the weeks that reached the threshold in
// each hour, by the wall clock across a change of the clocks and a year end.
TEST(HistoryFiguresTest, WhenItUsuallyGetsBusy) {
    const auto usually = [](const std::string& when) {
        return "Usually 2 or more players: " + when + " (in 2 of the last 3 Saturdays)";
    };
    const std::string evening = " 19:00\u201323:00";  // with an en dash
    const struct {
        const char* what;
        const UtcOffset zone;
        std::int64_t now;
        int days;
        std::int32_t threshold;
        std::string line;
        std::int64_t start;  // of the span, when it has one
    } kCases[] = {
        {"today", kUtc, kSaturday + 15 * kHour, 21, 2, usually("today" + evening), kEvening},
        {"tomorrow", kUtc, kSaturday - 9 * kHour, 21, 2, usually("tomorrow" + evening), kEvening},
        {"later this week", kUtc, kSaturday + kDay + 10 * kHour, 21, 2, usually("Saturday" + evening),
         kEvening + 7 * kDay},
        {"now", kUtc, kSaturday + 20 * kHour + 30 * kMinute, 21, 2, usually("now, until 23:00"), kEvening},
        {"a week ahead", kUtc, kSaturday + 23 * kHour, 21, 2, usually("next Saturday" + evening), kEvening + 7 * kDay},
        {"no hour", kUtc, kSaturday + 15 * kHour, 21, 6,
         "Rarely 6 or more players: no hour of the week has had them in half its weeks.", 0},
        {"too little history", kUtc, kSaturday + 15 * kHour, 10, 2,
         "When it usually has 2 or more players: known after two weeks of history, in 5 more days.", 0},
        // 2027-03-27, the day before the clocks go forward, and the day after.
        {"before the clocks go forward", CentralEurope, 1806156000, 21, 2, usually("today" + evening),
         1806156000 + 4 * kHour},
        {"after", CentralEurope, 1806220800, 21, 2, usually("Saturday" + evening), 1806771600},
        {"across the year's end", kUtc, 1830956400, 21, 2, usually("today" + evening), 1830956400 + 4 * kHour},
    };
    for (const auto& c : kCases) {
        const auto records = Hourly(c.now, c.days, c.zone, SaturdayEvenings);
        const HistoryPictures p = WorkOutPictures(records, c.now, c.zone, 0, c.threshold, EnglishTexts());
        EXPECT_EQ(p.labels.usuallyBusy, c.line) << c.what;
        EXPECT_EQ(p.busy.next ? p.busy.next->start : 0, c.start) << c.what;
        if (p.busy.next) {
            EXPECT_EQ(p.busy.next->end - p.busy.next->start, 4 * kHour) << c.what;
        }
    }
}

// The reminder is one whole sentence, its form chosen by the day its span
// starts on the wall clock: later today, or after midnight.
TEST(HistoryFiguresTest, TheReminderSaysItsSpanInOneSentence) {
    const struct {
        BusySpan span;
        int offsetMinutes;
        bool today;
        TimeOfDay from;
        Msg evidence;
    } kCases[] = {
        {{kSaturday + 19 * kHour, kSaturday + 23 * kHour, 5, 8, 10}, 0, true, {19, 0}, Msg::HistoryEvidenceSaturday},
        {{kSaturday + 23 * kHour, kSaturday + 25 * kHour, 6, 1, 1}, 60, false, {0, 0}, Msg::HistoryEvidenceSunday},
        {{kSaturday, kSaturday + 2 * kHour, 4, 3, 4}, -60, true, {23, 0}, Msg::HistoryEvidenceFriday},
    };
    for (const auto& c : kCases) {
        const UtcOffset offset = [&c](std::int64_t) { return c.offsetMinutes; };
        const Message said = BusySoonReminder(c.span, 2, c.span.start - 20 * kMinute, offset);
        EXPECT_EQ(said, Message(c.today ? Msg::HistoryRemindToday : Msg::HistoryRemindAnotherDay, Count{2}, c.from,
                                Message(c.evidence, Int{c.span.reached}, Count{c.span.weeks})))
            << InEnglish(said);
    }
    EXPECT_EQ(
        InEnglish(Message(Msg::HistoryRemindAnotherDay, Count{2}, TimeOfDay{0, 0},
                          Message(Msg::HistoryEvidenceSunday, Int{8}, Count{10}))),
        "Drevak Wing usually has 2 or more players from 00:00 \xE2\x80\x94 in 8 of the last 10 Sundays. Click here "
        "to see the history.");
}

TEST(HistoryFiguresTest, TheBusiestHourLine) {
    TypicalWeek week;
    EXPECT_EQ(InEnglish(SummaryLine(0, FindBusiestHour(week))),
              "No history yet: each scan is recorded here, one a minute at most.");
    week.cells[5][20] = {27, 3};  // Saturday 20:00, 9 on average
    week.cells[2][20] = {18, 2};  // Wednesday 20:00, 9 too: of equals, the earlier in the week
    week.cells[6][23] = {2, 2};
    const auto busiest = FindBusiestHour(week);
    ASSERT_TRUE(busiest);
    EXPECT_EQ(busiest->weekday, 2);
    week.cells[2][20] = {17, 2};  // 8.5 now: Saturday is the busiest
    EXPECT_EQ(InEnglish(SummaryLine(12, FindBusiestHour(week))),
              "12 days of history. Usually busiest: Saturday 20:00\xE2\x80\x93"
              "21:00, 9 players on average.");
    EXPECT_EQ(InEnglish(SummaryLine(1, std::nullopt)), "1 day of history. No scan has found the lobby yet.");
    week = {};
    week.cells[6][23] = {1, 1};
    EXPECT_EQ(InEnglish(SummaryLine(2, FindBusiestHour(week))),
              "2 days of history. Usually busiest: Sunday 23:00\xE2\x80\x93"
              "00:00, 1 player on average.");
}

// The pictures' shapes at a size, labelled in English.
std::vector<Shape> Drawn(HistoryPictures& p, int width = 800, int height = 600) {
    LabelPictures(p, EnglishTexts());
    return LayOutHistory(p, width, height, {7, 16});
}

// The day's hour labels, each checked to stand clear of the one before.
std::vector<const Shape*> HourLabels(const std::vector<Shape>& shapes) {
    std::vector<const Shape*> hours;
    for (const Shape& s : shapes)
        if (s.kind == Shape::Kind::Text && s.text.size() == 5 && s.text[2] == ':') hours.push_back(&s);
    EXPECT_GE(hours.size(), 8u);
    for (std::size_t i = 1; i < hours.size(); ++i) EXPECT_LT(hours[i - 1]->x2, hours[i]->x1) << hours[i]->text;
    return hours;
}

// The last 24 hours: a step line with gaps and marks where scans failed,
// the threshold dashed, and hour labels at local hours that never overlap.
TEST(HistoryChartTest, TheLastDayShowsFailuresAsGapsWithMarks) {
    HistoryPictures p;
    p.day = LastDay(
        std::vector<HistoryRecord>{{kNow - 2 * kDay, 50},
                                   {kNow - 3 * kHour, 2},
                                   {kNow - 3 * kHour + 5 * kMinute, std::nullopt},
                                   {kNow - 3 * kHour + 10 * kMinute, 4},
                                   {kNow - kHour, 3},
                                   {kNow - 30 * kMinute, std::nullopt, true}},  // Wendrel stopped: no line after it
        kNow);
    ASSERT_EQ(p.day.records.size(), 5u) << "only the last 24 hours";
    p.threshold = 5;
    p.offset = [](std::int64_t) { return 90; };  // an hour and a half ahead: hours fall between UTC hours
    const auto shapes = Drawn(p);
    const auto count = [&](auto pred) { return std::count_if(shapes.begin(), shapes.end(), pred); };

    EXPECT_EQ(count([](const Shape& s) { return s.ink == Ink::Failure; }), 2) << "one cross, two strokes";
    std::vector<std::pair<int, int>> runs;  // horizontal series segments
    for (const Shape& s : shapes)
        if (s.ink == Ink::Series && s.y1 == s.y2) runs.push_back({s.x1, s.x2});
    ASSERT_EQ(runs.size(), 3u);
    int failureX = 0;
    for (const Shape& s : shapes)
        if (s.ink == Ink::Failure) failureX = (s.x1 + s.x2) / 2;
    EXPECT_LE(runs[0].second, failureX) << "the line stops at the failed scan";
    EXPECT_GT(runs[1].first, failureX);
    const int plotRight = 800 - 16 - 7;
    EXPECT_LT(runs[2].second, plotRight - 10) << "and at the stop, half an hour before the end";
    EXPECT_EQ(count([](const Shape& s) { return s.kind == Shape::Kind::DashedLine && s.ink == Ink::Threshold; }), 1);

    const auto hours = HourLabels(shapes);
    // 21:04 UTC is 22:34 local: a labelled hour is a whole local hour.
    const auto label = std::find_if(hours.begin(), hours.end(), [](const Shape* s) { return s->text == "22:00"; });
    ASSERT_NE(label, hours.end());
    const int x = ((*label)->x1 + (*label)->x2) / 2;
    EXPECT_NEAR(x, plotRight - (plotRight - 40) * 34 / (24 * 60), 12);

    // The night Berlin's clocks go back, 02:00 comes twice, an hour apart.
    p.day = LastDay({}, 1792929600);  // 2026-10-25T12:00Z
    p.offset = [](std::int64_t utc) { return utc < 1792890000 ? 120 : 60; };
    EXPECT_EQ(HourLabels(Drawn(p)).size(), 11u) << "16:00 to 12:00, 02:00 once";
}

// Any threshold draws: within reach of the counts as a dashed line, far off
// them (a player silencing the alarm) as a note above the plot.
TEST(HistoryChartTest, AnyThresholdDraws) {
    const struct {
        std::int32_t threshold, players;
        const char* note;
    } kCases[] = {
        {5, 10, nullptr},
        {40, 10, nullptr},
        {0, 0, nullptr},
        {20, 0, nullptr},
        {41, 10, "alarm at 41, above the picture"},
        {INT32_MAX, 10, "alarm at 2147483647, above the picture"},
        {INT32_MAX, 999999999, nullptr},
        {-1, 10, "alarm at -1, below the picture"},
        {INT32_MIN, 999999999, "alarm at -2147483648, below the picture"},
    };
    for (const auto& c : kCases) {
        HistoryPictures p;
        p.day = LastDay(std::vector<HistoryRecord>{{kNow - kHour, c.players}}, kNow);
        p.threshold = c.threshold;
        const auto shapes = Drawn(p);
        int lines = 0, notes = 0;
        for (const Shape& s : shapes) {
            if (s.ink != Ink::Threshold) continue;
            EXPECT_TRUE(s.x1 >= 0 && s.x2 <= 800 && s.y1 >= 0 && s.y2 <= 600) << c.threshold << " " << s.text;
            lines += s.kind == Shape::Kind::DashedLine;
            notes += c.note && s.text == c.note;
        }
        EXPECT_EQ(lines, c.note ? 0 : 1) << c.threshold;
        EXPECT_EQ(notes, c.note ? 1 : 0) << c.threshold;
    }
}

TEST(HistoryChartTest, TheWeekGridFillsOnlyHoursWithDataAndHasALegend) {
    HistoryPictures p;
    p.week.cells[0][0] = {10, 1};
    p.week.cells[3][12] = {2, 1};
    p.calmRgb = 0xFFFFFF;
    p.busyRgb = 0x000000;
    const auto shapes = Drawn(p, 700, 500);
    // The legend's steps stand right of the grid, one above the other.
    int legendX = 0;
    for (const Shape& s : shapes)
        if (s.kind == Shape::Kind::Box) legendX = std::max(legendX, s.x1);
    std::vector<Shape> cells, legend;
    for (const Shape& s : shapes)
        if (s.kind == Shape::Kind::Box) (s.x1 == legendX ? legend : cells).push_back(s);
    ASSERT_EQ(legend.size(), 5u);
    ASSERT_EQ(cells.size(), 2u);
    const auto darker = [](std::uint32_t a, std::uint32_t b) { return (a & 0xFF) < (b & 0xFF); };
    std::sort(cells.begin(), cells.end(), [](const Shape& a, const Shape& b) { return a.y1 < b.y1; });
    EXPECT_TRUE(darker(cells.front().rgb, cells.back().rgb)) << "10 players are darker than 2";
    EXPECT_EQ(BlendRgb(0xFFFFFF, 0x000000, 0.5), 0x808080u);
    EXPECT_EQ(BlendRgb(0x0000FF, 0x00FF00, 1.5), 0x00FF00u);
}

// A 12-hour clock's labels are longer than "00:00", and a language's day
// names longer than "Wed": the layout measures the labels themselves, so none
// overlaps another, and none leaves the window; rows lower than a line are
// named every other one.
TEST(HistoryChartTest, LabelsOfAnyClockAndLanguageStandApart) {
    struct TwelveHours : InvariantFormat {
        std::string Time(int hour, int minute, int) const override {
            const std::string h = std::to_string(hour % 12 ? hour % 12 : 12);
            return (minute < 0 ? h : h + ":00") + (hour < 12 ? " AM" : " PM");
        }
        std::string DayName(int weekday, bool, std::string_view) const override {
            return std::string("Donnerstag").substr(0, 4 + weekday);
        }
    } twelveHours;
    std::vector<HistoryRecord> records;
    for (std::int64_t t = kNow - 2 * kDay; t < kNow; t += kHour) records.push_back({t, 3});
    std::vector<Shape> labels;
    for (const Shape& s :
         LayOutHistory(WorkOutPictures(records, kNow, kUtc, 0, 5, Texts(twelveHours)), 560, 440, {7, 16}))
        if (s.kind == Shape::Kind::Text) labels.push_back(s);
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const Shape& a = labels[i];
        EXPECT_TRUE(a.x1 >= 0 && a.x2 <= 560) << a.text;
        for (std::size_t j = i + 1; j < labels.size(); ++j) {
            const Shape& b = labels[j];
            EXPECT_FALSE(a.x1 < b.x2 && b.x1 < a.x2 && a.y1 < b.y2 && b.y1 < a.y2) << a.text << " | " << b.text;
        }
    }
}

// Half an hour before a usually busy span, once however often the span is
// worked out again; a click on the reminder shows the History window.
TEST_F(HistoryMonitorTest, TheReminderComesOncePerSpanAndItsClickShowsTheHistory) {
    file.text = FormatHistory(Hourly(kEvening - 2 * kHour, 21, kUtc, SaturdayEvenings));
    form.ApplySettings({5, 2, "Flyover.wav", true, true});
    history.Load(kEvening - 2 * kHour);
    tray.state = NotificationState::QuietTime;  // the reminder gives way to it
    for (const auto& [at, reminders] : {std::pair{-40 * kMinute, 0}, std::pair{-30 * kMinute, 1},
                                        std::pair{-10 * kMinute, 1}, std::pair{kHour, 1}}) {
        clock.utc = kEvening + at;
        form.Timer1_Timer();
        EXPECT_EQ(log.Count("reminder: Drevak Wing usually has 2 or more players from 19:00"), reminders) << at;
    }
    ASSERT_EQ(tray.notifications.size(), 1u);
    EXPECT_TRUE(tray.notifications[0].respectQuietTime);
    EXPECT_EQ(log.Count("reminder: Windows held it back: it is quiet time"), 1);
    form.tiFB_MouseMove(kNinBalloonUserClick);
    EXPECT_EQ(historyView.shows, 1);

    BusyReminder reminder;  // a span worked out again after its reminder is not reminded of twice
    const BusySpan span{kEvening, kEvening + 4 * kHour, 5};
    EXPECT_TRUE(reminder.Due(span, kEvening - kMinute));
    EXPECT_FALSE(reminder.Due(span, kEvening - kMinute / 2));
    EXPECT_TRUE(reminder.Due({kEvening + 7 * kDay, kEvening + 7 * kDay + kHour, 5}, kEvening + 7 * kDay - kMinute));
}

// The span the reminder looks ahead to is worked out again only when told
// that the history or the clock's rules changed, when the threshold is
// another, or once it ended; each span is reminded of once.
TEST(HistoryFiguresTest, TheReminderWorksItsSpanOutAgainOnlyWhenSomethingChanged) {
    const std::vector<HistoryRecord> history = Hourly(kEvening - 2 * kHour, 21, kUtc, SaturdayEvenings);
    const struct {
        std::int64_t at;  // from kEvening
        bool withHistory, forget;
        std::int32_t threshold;
        std::optional<std::int64_t> due;  // the start of the span reminded of
    } steps[] = {
        {-60 * kMinute, false, false, 2, std::nullopt},           // no history yet: no span
        {-30 * kMinute, true, false, 2, std::nullopt},            // not told of the new history
        {-30 * kMinute, true, false, 9, std::nullopt},            // a threshold nobody reaches
        {-29 * kMinute, true, false, 2, kEvening},                // the threshold is another again
        {-10 * kMinute, true, true, 2, std::nullopt},             // worked out again: still once
        {7 * kDay - 31 * kMinute, true, false, 2, std::nullopt},  // it ended: next week's, not yet
        {7 * kDay - 30 * kMinute, true, false, 2, kEvening + 7 * kDay},
    };
    BusySoon busySoon;
    FakeClock clock;
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        const auto& s = steps[i];
        if (s.forget) busySoon.Forget();
        const auto span = busySoon.Due(s.withHistory ? std::span(history) : std::span<const HistoryRecord>(),
                                       kEvening + s.at, clock, s.threshold);
        EXPECT_EQ(span ? std::optional(span->start) : std::nullopt, s.due) << "step " << i;
    }
}

// What the pointer and the keys point at, and its readout: the ends, a gap,
// a failure, the week's rows.
TEST(HistoryReadoutTest, PointsAndKeysFindTheirRecordOrCell) {
    const std::vector<HistoryRecord> records = {{kNow - 23 * kHour, 14},
                                                {kNow - 2 * kHour, std::nullopt},
                                                {kNow - 90 * kMinute, std::nullopt, true},
                                                {kNow - 30 * kMinute, 3}};
    const HistoryPictures p = WorkOutPictures(records, kNow, kUtc, 0, 5, EnglishTexts());
    const char* const kDash = " \xE2\x80\x94 ";
    const std::string day[] = {std::string("Yesterday 22:04") + kDash + "14 players",
                               std::string("19:04") + kDash + "the check failed",
                               std::string("19:34\xE2\x80\x93" "20:34") + kDash + "Wendrel was not running",
                               std::string("20:34") + kDash + "3 players"};
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(InEnglish(Readout(p, {Picture::Day, i})), day[i]);

    const struct {
        HistoryItem from;
        CursorKey key;
        HistoryItem to;
    } kKeys[] = {
        {FirstCursor(Picture::Day, p), CursorKey::Left, {Picture::Day, 2}},
        {{Picture::Day, 0}, CursorKey::Left, {Picture::Day, 0}},
        {{Picture::Day, 3}, CursorKey::Right, {Picture::Day, 3}},
        {{Picture::Day, 2}, CursorKey::Home, {Picture::Day, 0}},
        {{Picture::Day, 1}, CursorKey::End, {Picture::Day, 3}},
        {FirstCursor(Picture::Week, p), CursorKey::Right, {Picture::Week, 0, 0, 22}},
        {{Picture::Week, 0, 0, 23}, CursorKey::Right, {Picture::Week, 0, 1, 0}},
        {{Picture::Week, 0, 6, 23}, CursorKey::Right, {Picture::Week, 0, 6, 23}},
        {{Picture::Week, 0, 6, 3}, CursorKey::Down, {Picture::Week, 0, 6, 3}},
        {{Picture::Week, 0, 2, 7}, CursorKey::Up, {Picture::Week, 0, 1, 7}},
        {{Picture::Week, 0, 2, 7}, CursorKey::End, {Picture::Week, 0, 2, 23}},
    };
    for (const auto& k : kKeys) EXPECT_EQ(MoveCursor(k.from, k.key, p), k.to) << static_cast<int>(k.key);

    const HistoryPlan plan = PlanHistory(p, 700, 520, {7, 13});
    ASSERT_TRUE(plan.plot && plan.grid);
    const int y = plan.plot->box.top + 5;
    EXPECT_EQ(ItemAt(plan, p, plan.plot->X(records[1].time) + 1, y), (HistoryItem{Picture::Day, 1}));
    EXPECT_EQ(ItemAt(plan, p, plan.plot->box.right, y), (HistoryItem{Picture::Day, 3}));
    EXPECT_EQ(ItemAt(plan, p, plan.plot->box.left, y), (HistoryItem{Picture::Day, 0}));
    const Box cell = plan.grid->Cell(0, 20);
    EXPECT_EQ(ItemAt(plan, p, cell.left + 1, cell.bottom - 1), (HistoryItem{Picture::Week, 0, 0, 20}));
    EXPECT_EQ(InEnglish(Readout(p, {Picture::Week, 0, 0, 20})),
              std::string("Mondays 20:00\xE2\x80\x93" "21:00") + kDash + "3.0 players on average, over 1 week; 5 or more in 0 of 1");
    EXPECT_EQ(ItemAt(plan, p, 1, 1).picture, Picture::None);
}

}  // namespace
