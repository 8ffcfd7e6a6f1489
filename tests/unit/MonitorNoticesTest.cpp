// What the monitor does with the desktop's notices: sleep and wake, a new
// network address, a clock, zone or regional setting that changed.
#include "MonitorFixture.h"

namespace {

// After a wake the result shown is marked as old, the alarm stops, and a
// timer-driven check runs at once, then after 5, 15, 30 s while it fails.
TEST_F(MonitorFixture, AWakeMarksTheCountOldStopsTheAlarmAndChecksAtOnceThenSoon) {
    Players(14);
    Start();  // 14 players at the default threshold of 2: the alarm flashes
    Ticks(100);
    ASSERT_EQ(tray.IconSteps().back(), 'H');
    tray.Clear();
    Players(kDown);
    form.OnSuspend();
    form.OnResume();
    form.OnResume();  // Windows' second notice of the same wake
    EXPECT_EQ(view.statusLine, "Last scan 21:04:05, before the computer slept: 14 players");
    EXPECT_EQ(tray.IconSteps(), "N") << "the alarm icon gives way at once";
    EXPECT_EQ(log.Count("resume: the last scan, 21:04:05, is from before the sleep; checking now; the alarm stops"), 1);
    EXPECT_EQ(log.Count("resume:"), 1);

    for (int ticks : {1, 5, 15, 30, 60, 120}) EXPECT_EQ(TicksToCheck(), ticks);
    EXPECT_EQ(tray.IconSteps().find('H'), std::string::npos) << "no flashing on the old count";
    Players(3);
    EXPECT_EQ(TicksToCheck(), 240);
    EXPECT_EQ(sound.played.size(), 2u) << "a wake's check is timer-driven: it sounds";
    EXPECT_EQ(TicksToCheck(), 300) << "and the interval counts from it";

    // A failed scan is marked too, also at a wake without a suspend notice.
    Players(kDown);
    EXPECT_EQ(TicksToCheck(), 300);
    form.OnResume();
    EXPECT_EQ(view.statusLine,
              "Last scan 21:04:05, before the computer slept, failed: the server did not answer within 30 s");
}

// A new address matters only while checks fail: then it checks at once,
// once in a spell of failures; the retries keep their pace.
TEST_F(MonitorFixture, ANewNetworkAddressAfterAFailedCheckChecksAtOnceOncePerSpell) {
    Start();
    form.OnNetworkChange();  // checks work: nothing to do
    EXPECT_EQ(TicksToCheck(), 300);
    Players(kDown);
    EXPECT_EQ(TicksToCheck(), 300);
    for (int ticks : {1, 30, 60}) {  // a flapping network: a notice before each check
        form.OnNetworkChange();
        EXPECT_EQ(TicksToCheck(), ticks);
    }
    EXPECT_EQ(log.Count("network: a new address after a failed check; checking now"), 1);
}

// The clock set, a new time zone or new regional settings: the clock reads
// them again and an open History window works its figures out again.
TEST_F(MonitorFixture, ClockZoneAndRegionalChangesRefreshTheClockAndTheHistory) {
    FakeHistoryView history;
    MonitorDeps deps = Deps();
    deps.historyView = &history;
    frmWendrel f{deps};
    f.OnTimeChange();
    for (const char* area : {"intl", "TimeZone", "Environment", "", "ImmersiveColorSet"}) f.OnSettingChange(area);
    EXPECT_EQ(clock.refreshes, 3);
    EXPECT_EQ(history.updates, 3);
}

}  // namespace
