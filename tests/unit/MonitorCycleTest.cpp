// The monitor's cycle: ticks, rescans, the alarm and its notification.
#include "MonitorFixture.h"

namespace {

TEST_F(MonitorFixture, AlarmSequenceThroughTicks) {
    Store("CheckInterval", std::int32_t{1}, kRegDword);
    Players(14);
    Start();  // the start-up tick rescans and raises the alarm
    EXPECT_EQ(sound.played,
              (std::vector<std::pair<std::string, std::uint32_t>>{{"Flyover.wav", kSndFilenameNoDefaultAsync}}));
    EXPECT_EQ(log.Count("alarm on: 14 players"), 1);
    EXPECT_EQ(tray.IconSteps(), "H");

    // The icon alternates on every tick; no more sound.
    EXPECT_EQ(IconsOver(59), "NHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHN");
    EXPECT_EQ(sound.played.size(), 1u);

    // The next timer-driven rescan: still enough players, the sound again.
    EXPECT_EQ(IconsOver(1), "H");
    EXPECT_EQ(sound.played.size(), 2u);

    // Below the threshold: 59 more flashes, then the clearing rescan shows
    // the normal icon, and quiet from then on.
    Players(1);
    EXPECT_EQ(IconsOver(60), "NHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNN");
    EXPECT_EQ(log.Count("alarm off: 1 player"), 1);
    EXPECT_EQ(sound.played.size(), 2u);
    EXPECT_EQ(IconsOver(5), "");
    for (const auto& [message, record] : tray.calls) EXPECT_EQ(std::string(record.szTip), "Wendrel");
    EXPECT_EQ(tray.notifications.size(), 1u) << "one alarm, one notification";
}

TEST_F(MonitorFixture, OneNotificationPerAlarm) {
    enum Action { Tick, Rescan, NotifyOff, NotifyOn };
    struct Step {
        Action action;
        int players;
        std::size_t notifications;  // shown so far
    };
    const Step steps[] = {
        {Tick, 9, 1},                     // the alarm goes on
        {Tick, 9, 1},                     // it stays on
        {Rescan, 0, 1},                   // a button rescan neither clears it...
        {Tick, 9, 1},                     // ...so the alarm never went off
        {Tick, 0, 1},                     // off
        {Rescan, 9, 1},                   // ...nor raises it
        {Tick, 12, 2},                    // on again: a second notification
        {Tick, 0, 2},                     // off
        {NotifyOff, 0, 2}, {Tick, 9, 2},  // on, but the user turned notifications off
        {NotifyOn, 0, 2},                 // on again in the same alarm: nothing until the next one
        {Tick, 9, 2},
    };
    Start();
    form.ApplySettings({0, 5, "x.wav"});
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        const Step& s = steps[i];
        Players(s.players);
        if (s.action == Tick) Ticks(1);
        if (s.action == Rescan) form.btnRescan_Click();
        if (s.action == NotifyOff || s.action == NotifyOn) form.ApplySettings({0, 5, "x.wav", s.action == NotifyOn});
        EXPECT_EQ(tray.notifications.size(), s.notifications) << "after step " << i;
    }
    ASSERT_EQ(tray.notifications.size(), 2u);
    const TrayNotification& second = tray.notifications[1];
    EXPECT_EQ(second.title, "Drevak Wing: 12 players online");
    EXPECT_EQ(second.text, "Your alarm is set for 5 players or more. Click here to see the lobby's status.");
    EXPECT_EQ(second.hWnd, FakeMainView::kTrayWindow);
    EXPECT_EQ(second.uID, 1u);
    EXPECT_EQ(log.Count("notification: Drevak Wing: 9 players online"), 1);
}

TEST_F(MonitorFixture, ThresholdEdges) {
    struct Case {
        std::int32_t threshold, players;
        bool alarm, fails = false;
    };
    // A failed check counts 0 but never reaches a threshold of 0 or below.
    for (const Case& c : {Case{2, 2, true}, Case{2, 1, false}, Case{0, 0, true}, Case{-5, 0, true},
                          Case{99999, 99998, false}, Case{0, 0, false, true}, Case{-5, 0, false, true}}) {
        SetUp();
        sound.played.clear();
        Store("Players", c.threshold, kRegDword);
        Store("CheckInterval", std::int32_t{5}, kRegDword);
        options.LoadSettings();
        Players(c.players);
        if (c.fails) inet.Fail(NoAnswer());
        StartedForm f{Deps("http://h")};
        EXPECT_EQ(tray.IconSteps(), c.alarm ? "H" : "N") << c.threshold << "/" << c.players;
        tray.Clear();
        EXPECT_EQ(sound.played.size(), c.alarm ? 1u : 0u);
    }
}

TEST_F(MonitorFixture, IntervalOfZeroOrLessRescansEveryTick) {
    for (std::int32_t interval : {0, -3}) {
        Store("CheckInterval", interval, kRegDword);
        options.LoadSettings();
        inet.requests.clear();
        StartedForm f{Deps("http://h")};
        for (int i = 0; i < 4; ++i) f.Timer1_Timer();
        EXPECT_EQ(inet.requests.size(), 5u) << interval;
    }
}

TEST_F(MonitorFixture, LongIntervalsCompareIn64Bits) {
    Store("CheckInterval", std::int32_t{INT32_MAX}, kRegDword);
    Start();
    inet.requests.clear();
    Ticks(10);
    EXPECT_TRUE(inet.requests.empty());  // a 32-bit product would wrap negative and rescan every tick
}

TEST_F(MonitorFixture, ButtonRescanNeverChangesTheAlarm) {
    Start();  // 0 players: quiet
    Ticks(100);
    Players(50);
    tray.Clear();
    form.btnRescan_Click();
    EXPECT_EQ(tray.IconSteps(), "");
    EXPECT_TRUE(sound.played.empty());
    EXPECT_EQ(view.rows.front().second, 50);
    Ticks(199);  // the button left the count of ticks alone
    EXPECT_EQ(inet.requests.size(), 2u);
    EXPECT_EQ(tray.IconSteps(), "");
    Players(0);
    Ticks(1);
    EXPECT_EQ(inet.requests.size(), 3u);

    Players(50);
    form.ApplySettings({0, 2, "x.wav"});
    EXPECT_EQ(IconsOver(1), "H") << "timer-driven: alarm on";
    Players(0);
    form.btnRescan_Click();
    form.ApplySettings({5, 2, "x.wav"});
    EXPECT_EQ(IconsOver(2), "NH") << "only a timer-driven rescan clears it: the icon still flashes";
    EXPECT_EQ(log.Count("alarm off"), 0);
    EXPECT_EQ(sound.played.size(), 1u);
    EXPECT_TRUE(view.rescanEnabled);
}

TEST_F(MonitorFixture, NewIntervalCountsFromTheNextTickWithoutReset) {
    Start();
    Ticks(120);  // two minutes counted towards five
    inet.requests.clear();
    form.ApplySettings({1, form.AlarmOn, form.Sound});  // lowered below the count
    Ticks(1);
    EXPECT_EQ(inet.requests.size(), 1u);
    Ticks(59);  // counted afresh from that rescan
    EXPECT_EQ(inet.requests.size(), 1u);
    Ticks(1);
    EXPECT_EQ(inet.requests.size(), 2u);
}

TEST_F(MonitorFixture, TickDuringAButtonRescanLeavesItsRescanToTheNextTick) {
    Start();
    form.ApplySettings({0, 2, "x.wav"});
    inet.requests.clear();
    int ticksInside = 0;
    inet.duringFetch = [&] {
        if (ticksInside++ == 0) form.Timer1_Timer();  // the timer fires while the page is on its way
    };
    Players(9);
    form.btnRescan_Click();
    inet.duringFetch = nullptr;
    EXPECT_EQ(inet.requests.size(), 1u);
    EXPECT_EQ(log.Count("alarm on"), 0);
    EXPECT_TRUE(sound.played.empty());
    EXPECT_EQ(IconsOver(1), "H");
    EXPECT_EQ(inet.requests.size(), 2u);
}

TEST_F(MonitorFixture, AFailedScanAfterAGoodOneCountsZeroAndEndsTheAlarm) {
    Start();
    form.ApplySettings({0, 2, "x.wav"});
    Players(9);
    Ticks(2);  // alarm on: alarm icon, then normal phase
    inet.Fail(NoAnswer());
    Ticks(1);
    EXPECT_EQ(view.rows.front().second, 0);
    EXPECT_EQ(log.Count("alarm off: the check failed"), 1);
    Ticks(3);  // the alarm stays off while the lobby is down: no sound every interval
    EXPECT_EQ(sound.played.size(), 2u);
}

TEST_F(MonitorFixture, AnAlarmEndingWhileItsIconShowsPutsTheNormalIconBack) {
    Start();
    form.ApplySettings({0, 2, "x.wav"});
    Players(9);
    Ticks(1);  // the alarm icon shows
    ASSERT_EQ(tray.IconSteps().back(), 'H');
    Players(1);
    EXPECT_EQ(IconsOver(1).back(), 'N');
    tray.Clear();
    form.OnTaskbarCreated();  // Explorer restarted: the icon comes back as it is now
    ASSERT_EQ(tray.calls.size(), 1u);
    EXPECT_EQ(tray.calls[0].second.hIcon, FakeMainView::kNormalIcon);
}

TEST_F(MonitorFixture, ATickThatFailsLeavesTheTimerRunningAndTheTrayUsable) {
    Start();
    form.ApplySettings({0, 2, "x.wav"});
    Players(9);
    sound.fail = true;
    EXPECT_THROW(form.Timer1_Timer(), std::bad_alloc);
    EXPECT_TRUE(view.timerEnabled);
    EXPECT_TRUE(view.rescanEnabled);
    sound.fail = false;
    view.visible = false;
    form.tiFB_MouseMove(kWmLButtonDblClk);
    EXPECT_TRUE(view.visible);
}

TEST_F(MonitorFixture, FailedScanShowsWhyAndCountsZero) {
    inet.Fail(NoAnswer());
    Start();
    EXPECT_EQ(view.rows, (std::vector<std::pair<std::string, std::int32_t>>{{"status.quellan.example", 0}}));
    EXPECT_EQ(view.statusLine, "Last scan 21:04:05 failed: the server did not answer within 30 s; next try in 15 s");
    EXPECT_EQ(log.lines.back(),
              "scan http://status.quellan.example failed: the server did not answer within 30 s; "
              "0 players; retry in 15 s");
}

// After a failed timer-driven check the next comes sooner than the
// interval: 15 s, then twice as long each time, never later than the
// interval; the first success goes back to the interval.
TEST_F(MonitorFixture, AFailedCheckIsRetriedSoonerEachTimeLaterUpToTheInterval) {
    struct Step {
        std::int32_t minutes;
        bool fails;
        int ticks;         // from the previous check to this one
        const char* next;  // the status line's next try after it ("" when it worked)
    };
    const Step steps[] = {
        {5, true, 15, "30 s"},   {5, true, 30, "60 s"}, {5, true, 60, "2 min"}, {5, true, 120, "4 min"},
        {5, true, 240, "5 min"},  // twice 240 s is more than the interval
        {5, true, 300, "5 min"}, {5, false, 300, ""},   {5, true, 300, "15 s"},  // a success starts afresh
        {1, true, 15, "30 s"},   {1, true, 30, "60 s"}, {1, true, 60, "60 s"},   // a shorter interval caps sooner
        {1, false, 60, ""},      {1, false, 60, ""},    {0, true, 1, "1 s"},    {0, true, 1, "1 s"},
    };
    inet.Fail(NoAnswer());
    Start();  // the start-up check fails
    EXPECT_EQ(view.statusLine, "Last scan 21:04:05 failed: the server did not answer within 30 s; next try in 15 s");
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        const Step& s = steps[i];
        form.ApplySettings({s.minutes, 2, "x.wav"});
        Players(s.fails ? kDown : 1);
        EXPECT_EQ(TicksToCheck(), s.ticks) << "step " << i;
        const std::string failed = std::string("failed: the server did not answer within 30 s; next try in ") + s.next;
        EXPECT_EQ(view.statusLine, s.fails ? "Last scan 21:04:05 " + failed : "Last scan 21:04:05: 1 player")
            << "step " << i;
    }
    EXPECT_EQ(log.Count("; retry in 15 s"), 2);
    EXPECT_EQ(log.Count("; retry in 1 s"), 2);
}

// A busy server's wait is obeyed, an hour at most, at any interval, and the
// status line tells the wait obeyed.
TEST_F(MonitorFixture, ABusyServersWaitIsObeyed) {
    inet.Fail({.kind = FetchFailure::Kind::HttpStatus, .status = 429, .wait = 7200});
    Start();
    EXPECT_EQ(view.statusLine,
              "Last scan 21:04:05 failed: the status server is busy; it asks to wait 2 h; next try in 1 h");
    for (std::int32_t minutes : {1, 0}) {
        form.ApplySettings({minutes, 2, "x.wav"});
        EXPECT_EQ(TicksToCheck(), 3600) << minutes;
    }
}

// A check that fails ends the alarm, but a count at or above the threshold
// again within two intervals (by the clock) is the same alarm: no second
// notification. A sleep counts as such a gap. The sound follows every check.
TEST_F(MonitorFixture, AnAlarmInterruptedOnlyByFailedChecksOrASleepNotifiesOnce) {
    struct Step {
        int players;                // at the check; kDown: it fails
        int away;                   // seconds that pass before it, without ticks
        bool sleep;                 // the computer slept then
        std::size_t notifications;  // so far
    };
    const Step steps[] = {
        {9, 0, false, 1},     {kDown, 0, false, 1},   {kDown, 0, false, 1}, {9, 0, false, 1},  // the same alarm
        {1, 0, false, 1},     {9, 0, false, 2},        // a count below ends it for good
        {kDown, 0, false, 2}, {9, 700, false, 3},      // more than two intervals later
        {9, 120, true, 3},    {9, 8 * 3600, true, 4},  // a short sleep, a night
    };
    Start();
    form.ApplySettings({5, 5, "x.wav", true});
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        const Step& s = steps[i];
        clock.utc += s.away;
        if (s.sleep) {
            form.OnSuspend();
            form.OnResume();
        }
        Players(s.players);
        TicksToCheck();
        EXPECT_EQ(tray.notifications.size(), s.notifications) << "step " << i;
        // The icon changes on every tick while the alarm is on.
        EXPECT_EQ(IconsOver(2).size(), s.players >= 5 ? 2u : 0u) << "step " << i;
    }
    EXPECT_EQ(sound.played.size(), 6u);
    EXPECT_EQ(log.Count("the same alarm as before the gap"), 2);
}

}  // namespace
