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
    inet.Fail("no connection");
    form.OnSuspend();
    form.OnResume();
    EXPECT_EQ(view.statusLine, "Last scan 21:04:05, before the computer slept: 14 players");
    EXPECT_EQ(tray.IconSteps(), "N") << "the alarm icon gives way at once";
    EXPECT_EQ(log.Count("resume: the last scan, 21:04:05, is from before the sleep; checking now; the alarm stops"), 1);
    form.OnResume();  // the second notice of the same wake
    EXPECT_EQ(log.Count("resume:"), 1);

    for (int ticks : {1, 5, 15, 30, 60, 120}) EXPECT_EQ(TicksToCheck(), ticks);
    EXPECT_EQ(view.statusLine, "Last scan 21:04:05 failed: no connection; next try in 4 min");
    EXPECT_EQ(tray.IconSteps().find('H'), std::string::npos) << "no flashing on the old count, none on a failed check";
    EXPECT_EQ(sound.played.size(), 1u);

    Players(3);
    EXPECT_EQ(TicksToCheck(), 240);
    EXPECT_EQ(sound.played.size(), 2u) << "a wake's check is timer-driven: it sounds";
    EXPECT_EQ(TicksToCheck(), 300) << "and the interval counts from it";

    // A failed scan is marked too; and a later wake without a suspend notice
    // (Windows sends none when it could not wait for the program) still counts.
    inet.Fail("no connection");
    EXPECT_EQ(TicksToCheck(), 300);
    form.OnResume();
    EXPECT_EQ(view.statusLine, "Last scan 21:04:05, before the computer slept, failed: no connection");
    EXPECT_EQ(TicksToCheck(), 1);
}

TEST_F(MonitorFixture, AWakeBeforeTheFirstScanChecksAtOnceAndLeavesTheLineAlone) {
    frmWendrel f{Deps()};
    f.OnResume();
    EXPECT_EQ(view.statusLine, "");
    EXPECT_EQ(log.Count("resume: no scan yet; checking now"), 1);
}

// A new address matters only while checks fail: then it checks at once, and
// again after 5, 15 s while the network is still coming up.
TEST_F(MonitorFixture, ANewNetworkAddressAfterAFailedCheckChecksAtOnce) {
    Start();  // the start-up check works
    form.OnNetworkChange();
    EXPECT_EQ(TicksToCheck(), 300);
    inet.Fail("no connection");
    EXPECT_EQ(TicksToCheck(), 300);
    Ticks(3);
    form.OnNetworkChange();
    form.OnNetworkChange();  // addresses come in bursts
    EXPECT_EQ(log.Count("network: a new address after a failed check; checking now"), 1);
    for (int ticks : {1, 5, 15}) EXPECT_EQ(TicksToCheck(), ticks);
    Players(4);
    EXPECT_EQ(TicksToCheck(), 30);
    EXPECT_EQ(view.statusLine, "Last scan 21:04:05: 4 players");
    EXPECT_EQ(TicksToCheck(), 300);
}

// A clock set, a new time zone or new regional settings: the clock drops
// what it keeps of them and an open History window works its figures out
// again; other settings change nothing.
TEST_F(MonitorFixture, ClockZoneAndRegionalChangesRefreshTheClockAndTheHistory) {
    struct RecordingView : HistoryView {
        int updates = 0;
        void Show() override {}
        void Update() override { ++updates; }
    } history;
    MonitorDeps deps = Deps();
    deps.historyView = &history;
    frmWendrel f{deps};
    struct Notice {
        const char* area;  // null: WM_TIMECHANGE
        int refreshes;     // so far
    };
    for (const Notice& n : {Notice{nullptr, 1}, Notice{"intl", 2}, Notice{"TimeZone", 3}, Notice{"Environment", 3},
                            Notice{"", 3}, Notice{"ImmersiveColorSet", 3}}) {
        if (n.area)
            f.OnSettingChange(n.area);
        else
            f.OnTimeChange();
        EXPECT_EQ(clock.refreshes, n.refreshes) << (n.area ? n.area : "time change");
        EXPECT_EQ(history.updates, n.refreshes) << (n.area ? n.area : "time change");
    }
    EXPECT_EQ(log.Count("clock: the time zone changed"), 1);
}

}  // namespace
