// When the monitor checks again, and which resume notices are wakes: its
// schedules alone, on the seconds they are given.
#include <gtest/gtest.h>

#include <cstdint>
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
TEST(RetryScheduleTest, NoticesAndResultsMoveTheNextCheck) {
    enum Event { Started, Failed, Worked, Woke, Network };
    const struct {
        Event event;
        bool asksNow;          // Network: whether the notice asks for a check at once
        std::int64_t elapsed;  // seconds since the last check
        std::int64_t toNext;   // seconds to the next one
    } steps[] = {
        {Network, false, 100, 200},                          // checks work: a new address changes nothing
        {Failed, false, 10, 5},     {Network, true, 10, 0},  // after a failure it checks at once
        {Network, false, 11, 0},                             // a burst of notices asks once
        {Started, false, 0, 300},   {Failed, false, 3, 2},   // and its retries are quick
        {Worked, false, 0, 300},    {Failed, false, 0, 15},  // a check that worked ends them
        {Woke, false, 100, 0},                               // a wake checks at once
    };
    RetrySchedule schedule;
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        const auto& s = steps[i];
        if (s.event == Started) schedule.CheckStarted();
        if (s.event == Failed) schedule.CheckFailed();
        if (s.event == Worked) schedule.CheckWorked();
        if (s.event == Woke) schedule.Woke();
        EXPECT_EQ(s.event == Network && schedule.NetworkNotice(), s.asksNow) << "step " << i;
        EXPECT_EQ(schedule.SecondsToNextCheck(s.elapsed, 300), s.toNext) << "step " << i;
    }
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
