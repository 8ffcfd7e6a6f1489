// When the monitor checks again, and which resume notices are wakes: its
// schedules alone, on the seconds they are given.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "monitor/RetrySchedule.h"
#include "monitor/WakeNotices.h"

namespace {

// Seconds from each failed check to the next, for 1 to n failures in a row,
// after a wake (quick) or not, capped by the interval (0: every second).
TEST(RetryScheduleTest, DelaysAfterFailuresInARow) {
    const struct {
        bool quick;
        std::int64_t interval;
        std::vector<std::int64_t> delays;
    } cases[] = {
        {false, 86400, {15, 30, 60, 120, 240, 480}},
        {true, 86400, {5, 15, 30, 60, 120, 240}},
        {false, 300, {15, 30, 60, 120, 240, 300}},
        {true, 60, {5, 15, 30, 60, 60}},
        {false, 10, {10, 10}},
        {true, 0, {0, 0}},
    };
    for (const auto& c : cases) {
        RetrySchedule schedule;
        if (c.quick) schedule.Woke();
        for (std::size_t i = 0; i < c.delays.size(); ++i) {
            schedule.CheckStarted();
            schedule.CheckFailed();
            EXPECT_EQ(schedule.SecondsBetweenChecks(c.interval), c.delays[i])
                << i + 1 << " failures, quick " << c.quick << ", interval " << c.interval;
        }
    }
    RetrySchedule endless;  // failures without end wait no longer than the longest interval
    for (int i = 0; i < 1000; ++i) endless.CheckFailed();
    EXPECT_EQ(endless.SecondsBetweenChecks(std::int64_t{INT32_MAX} * 60), std::int64_t{INT32_MAX} * 60);
}

// What each event does to the next check, at an interval of five minutes.
TEST(RetryScheduleTest, NoticesResultsAndWaitsMoveTheNextCheck) {
    enum Event { Started, Failed, Worked, Woke, Network, Rescan };
    const struct {
        Event event;
        std::int64_t elapsed;                // seconds since the last check
        std::int64_t toNext;                 // seconds to the next one
        bool asksNow = false;                // Network: the notice asks for a check at once
        std::optional<std::int64_t> wait{};  // Failed, Rescan: the wait a busy server asks for
    } steps[] = {
        {Network, 100, 200},                            // checks work: a new address changes nothing
        {Failed, 10, 5},       {Network, 10, 0, true},  // after a failure it checks at once
        {Network, 11, 0},      {Started, 0, 15},        // a burst of notices asks once
        {Failed, 3, 27},       {Network, 3, 27},        // the retries keep their pace: once a spell
        {Worked, 0, 300},      {Failed, 0, 15},
        {Network, 1, 0, true},                                   // a new spell
        {Started, 0, 15},      {Failed, 0, 3600, false, 86400},  // a busy server's wait: an hour at most
        {Network, 10, 3590},                                     // no notice brings it forward
        {Started, 0, 30},      {Failed, 0, 120, false, 120},     // no check sooner than asked
        {Started, 0, 60},      {Failed, 0, 120, false, 10},      // nor later for it
        {Worked, 0, 300},      {Rescan, 200, 500, false, 500},   // a Rescan's answer holds the next check
        {Woke, 100, 0},                                          // a wake checks at once
    };
    RetrySchedule schedule;
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        const auto& s = steps[i];
        if (s.event == Started) schedule.CheckStarted();
        if (s.event == Failed) schedule.CheckFailed(s.wait);
        if (s.event == Worked) schedule.CheckWorked();
        if (s.event == Woke) schedule.Woke();
        if (s.event == Rescan) schedule.AskedToWait(s.elapsed, *s.wait);
        EXPECT_EQ(s.event == Network && schedule.NetworkNotice(), s.asksNow) << "step " << i;
        EXPECT_EQ(schedule.SecondsToNextCheck(s.elapsed, 300), s.toNext) << "step " << i;
    }
}

// Requests in a day of a lobby that is down, counted over the schedule as
// the monitor's timer asks it: a failure with wait at every check, a notice
// of a new address every noticeEvery seconds (0: none).
int RequestsInADay(std::int64_t interval, std::optional<std::int64_t> wait, int noticeEvery) {
    RetrySchedule schedule;
    int requests = 0;
    for (std::int64_t second = 0, elapsed = 0; second < 86400; ++second, ++elapsed) {
        if (noticeEvery && second % noticeEvery == 0) schedule.NetworkNotice();
        if (second > 0 && !schedule.Due(elapsed, interval)) continue;
        schedule.CheckStarted();
        schedule.CheckFailed(wait);
        ++requests;
        elapsed = 0;
    }
    return requests;
}

// A flapping network adds one request to a spell of failures; a busy
// server's wait of an hour leaves one an hour, at any interval.
TEST(RetryScheduleTest, ADayOfALobbyThatIsDown) {
    const int down = RequestsInADay(300, std::nullopt, 0);
    EXPECT_EQ(down, 1 + 5 + (86400 - (15 + 30 + 60 + 120 + 240)) / 300);  // 15, 30, ... 240 s, then the interval
    EXPECT_LE(RequestsInADay(300, std::nullopt, 10), down + 1);
    EXPECT_EQ(RequestsInADay(300, 3600, 10), 24);
    EXPECT_EQ(RequestsInADay(0, 3600, 5), 24);
}

// Windows may send two resume notices for one wake: a second one within a
// minute, with no suspend notice between, is the same wake.
TEST(WakeNoticesTest, ASecondResumeNoticeWithinAMinuteIsTheSameWake) {
    const struct {
        bool suspend;
        int ticksBefore;
        bool newWake;
    } resumes[] = {
        {false, 0, true},  // no suspend notice came: a wake all the same
        {false, 0, false}, {false, 59, false}, {false, 1, true}, {true, 0, true}, {false, 30, false},
    };
    WakeNotices wakes;
    for (std::size_t i = 0; i < std::size(resumes); ++i) {
        for (int t = 0; t < resumes[i].ticksBefore; ++t) wakes.Tick();
        if (resumes[i].suspend) wakes.Suspended();
        EXPECT_EQ(wakes.Resumed(), resumes[i].newWake) << "notice " << i;
    }
}

}  // namespace
