#include <gtest/gtest.h>

#include <algorithm>

#include "FakeMonitor.h"

namespace {

constexpr const char* kKey = "Software\\Orvane\\Wendrel";

struct MonitorFixture : ::testing::Test, FakeWorld {
    frmWendrel form{Deps()};

    void SetUp() override {
        options.SetMonitor(&form);
        Players(0);
    }

    void Players(int count) { inet.ServePage(StatusPage(std::to_string(count))); }

    void Store(const char* name, SettingValue value, std::uint32_t type) {
        store.EnsureKey(kKey, kHKeyCurrentUser);
        store.StoreSetting(kKey, name, value, static_cast<std::int32_t>(type));
    }

    void Start() {
        form.Form_Initialize();
        form.Form_Load();
    }

    void Ticks(int n) {
        for (int i = 0; i < n; ++i) {
            ASSERT_TRUE(view.timerEnabled) << "the timer must be running before tick " << i;
            form.Timer1_Timer();
        }
    }
};

TEST_F(MonitorFixture, FirstStartTakesDefaultsAddsTheIconHidesAndScansOnce) {
    Players(3);
    form.Form_Initialize();
    EXPECT_EQ(form.AlarmOn, 99999);
    form.Form_Load();
    EXPECT_EQ(form.minutes, 5);
    EXPECT_EQ(form.AlarmOn, 2);
    EXPECT_EQ(form.Sound, "Flyover.wav");
    EXPECT_TRUE(form.Notify);
    EXPECT_FALSE(view.visible);
    EXPECT_EQ(view.taskListHides, 2);
    EXPECT_EQ(inet.requests.size(), 1u);
    EXPECT_EQ(view.rows, (std::vector<std::pair<std::string, std::int32_t>>{{"status.quellan.example", 3}}));
    EXPECT_EQ(view.statusLine, "Last scan 21:04:05: 3 players");
    EXPECT_TRUE(view.timerEnabled);

    ASSERT_GE(tray.calls.size(), 1u);
    const auto& [message, record] = tray.calls.front();
    EXPECT_EQ(message, TrayMessage::Add);
    EXPECT_EQ(record.cbSize, 88u);
    EXPECT_EQ(record.hWnd, FakeMainView::kTrayWindow);
    EXPECT_EQ(record.uID, 1u);
    EXPECT_EQ(record.uFlags, 7u);
    EXPECT_EQ(record.uCallbackMessage, 512u);
    EXPECT_EQ(record.hIcon, FakeMainView::kNormalIcon);
    EXPECT_EQ(std::string(record.szTip, 64), std::string("Wendrel") + '\0' + std::string(56, ' '));
    EXPECT_EQ(registry.ValueCount(), 0u);

    Ticks(299);  // the interval counts from the start-up scan
    EXPECT_EQ(inet.requests.size(), 1u);
    Ticks(1);
    EXPECT_EQ(inet.requests.size(), 2u);
}

TEST_F(MonitorFixture, StoredSettingsAreTakenOverAndBadNumbersFallBack) {
    Store("CheckInterval", std::string("abc"), kRegSz);
    Store("Players", std::string("7.5"), kRegSz);
    Store("AlarmSound", std::string("C:\\a.wav"), kRegSz);
    Start();
    EXPECT_EQ(form.minutes, 5);
    EXPECT_EQ(log.Count("start: Check every (minutes) holds \"abc\", not a whole number; using 5"), 1);
    EXPECT_EQ(form.AlarmOn, 8);
    EXPECT_EQ(form.Sound, "C:\\a.wav");
    Store("Players", std::string("lots"), kRegSz);
    frmWendrel second{Deps("http://h")};
    options.LoadSettings();
    second.Form_Load();
    EXPECT_EQ(second.AlarmOn, 2);
}

TEST_F(MonitorFixture, FirstScanDuringStartUpUpTo99Minutes) {
    for (int interval : {99, 100, 101}) {
        SetUp();
        inet.requests.clear();
        Store("CheckInterval", std::int32_t{interval}, kRegDword);
        options.LoadSettings();
        frmWendrel f{Deps("http://h")};
        f.Form_Initialize();
        f.Form_Load();
        const int laterTicks = interval <= 99 ? 0 : interval * 60 - 5941;
        EXPECT_EQ(inet.requests.size(), interval <= 99 ? 1u : 0u) << interval;
        for (int i = 0; i < laterTicks - 1; ++i) f.Timer1_Timer();
        EXPECT_EQ(inet.requests.size(), interval <= 99 ? 1u : 0u) << interval;
        f.Timer1_Timer();
        EXPECT_EQ(inet.requests.size(), 1u) << interval;
    }
}

TEST_F(MonitorFixture, AlarmSequenceThroughTicks) {
    Store("CheckInterval", std::int32_t{1}, kRegDword);
    Players(14);
    Start();  // the start-up tick rescans and raises the alarm
    EXPECT_EQ(sound.played, (std::vector<std::pair<std::string, std::uint32_t>>{{"Flyover.wav", 0x20003u}}));
    EXPECT_EQ(log.Count("alarm on: 14 players"), 1);
    EXPECT_EQ(tray.IconSteps(), "H");

    tray.Clear();
    Ticks(59);  // the icon alternates on every tick; no more sound
    EXPECT_EQ(tray.IconSteps(), std::string("NHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHN"));
    EXPECT_EQ(sound.played.size(), 1u);

    tray.Clear();
    Ticks(1);  // the next timer-driven rescan: still enough players, the sound again
    EXPECT_EQ(sound.played.size(), 2u);
    EXPECT_EQ(tray.IconSteps(), "H");

    tray.Clear();
    Players(1);
    Ticks(60);  // below the threshold: the normal icon, and quiet from then on
    EXPECT_EQ(log.Count("alarm off: 1 player"), 1);
    // 59 more flashes, then the clearing rescan shows the normal icon.
    EXPECT_EQ(tray.IconSteps(),
              "NHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHNHN"
              "N");
    EXPECT_EQ(sound.played.size(), 2u);

    tray.Clear();
    Ticks(5);
    EXPECT_EQ(tray.IconSteps(), "");
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
        bool alarm;
    };
    for (const Case& c :
         {Case{2, 2, true}, Case{2, 1, false}, Case{0, 0, true}, Case{-5, 0, true}, Case{99999, 99998, false}}) {
        SetUp();
        sound.played.clear();
        Store("Players", c.threshold, kRegDword);
        Store("CheckInterval", std::int32_t{5}, kRegDword);
        options.LoadSettings();
        Players(c.players);
        frmWendrel f{Deps("http://h")};
        f.Form_Initialize();
        f.Form_Load();
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
        frmWendrel f{Deps("http://h")};
        f.Form_Initialize();
        f.Form_Load();
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
    tray.Clear();
    Ticks(1);  // timer-driven: alarm on
    EXPECT_EQ(tray.IconSteps(), "H");
    Players(0);
    form.btnRescan_Click();
    form.ApplySettings({5, 2, "x.wav"});
    tray.Clear();
    Ticks(2);  // only a timer-driven rescan clears it: the icon still flashes
    EXPECT_EQ(tray.IconSteps(), "NH");
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
    tray.Clear();
    Ticks(1);
    EXPECT_EQ(inet.requests.size(), 2u);
    EXPECT_EQ(tray.IconSteps(), "H");
}

TEST_F(MonitorFixture, ExitDuringAScanEndsWithoutAnAlarmDecision) {
    Players(1);
    Start();
    const auto rowsBefore = view.rows;
    form.ApplySettings({0, 0, "x.wav"});  // the next rescan would alarm
    Players(20);
    inet.duringFetch = [&] { form.mnuQuit_Click(); };
    form.Timer1_Timer();
    EXPECT_TRUE(app.Quitting);
    EXPECT_FALSE(view.timerEnabled);
    EXPECT_EQ(view.rows, rowsBefore);
    EXPECT_EQ(log.Count("alarm on"), 0);
    EXPECT_EQ(tray.IconSteps().find('H'), std::string::npos);
    EXPECT_TRUE(sound.played.empty());
    EXPECT_TRUE(view.destroyed);
    EXPECT_TRUE(view.ended);
    EXPECT_TRUE(view.highIconUnloaded);
    EXPECT_FALSE(options.IsLoaded());
    int deletes = 0;
    for (const auto& [message, record] : tray.calls) deletes += message == TrayMessage::Delete;
    EXPECT_EQ(deletes, 1);
    EXPECT_EQ(inet.requests.size(), 2u);
}

// Exit, and a close request or the end of the Windows session, end the
// program the same way: the timer stops before the windows go.
TEST(EndingTest, ExitAndCloseRequestsEndInOrder) {
    const std::pair<std::function<void(frmWendrel&)>, const char*> ways[] = {
        {[](frmWendrel& f) { f.mnuQuit_Click(); }, "exit"},
        {[](frmWendrel& f) { f.EndOnRequest("asked to close"); }, "exit: asked to close"},
    };
    for (const auto& [end, logged] : ways) {
        FakeWorld w;
        frmWendrel form{w.Deps()};
        w.options.SetMonitor(&form);
        form.Form_Initialize();
        form.Form_Load();
        w.options.Show();
        w.view.events.clear();
        end(form);
        EXPECT_EQ(w.view.events, (std::vector<std::string>{"timer off", "high icon unloaded", "destroy", "end"}))
            << logged;
        EXPECT_TRUE(w.app.Quitting);
        EXPECT_FALSE(w.options.IsLoaded());
        EXPECT_EQ(w.tray.calls.back().first, TrayMessage::Delete);
        EXPECT_EQ(w.log.lines.back(), logged);
    }
}

TEST_F(MonitorFixture, AFailedScanAfterAGoodOneCountsZeroAndEndsTheAlarm) {
    Start();
    form.ApplySettings({0, 2, "x.wav"});
    Players(9);
    Ticks(2);  // alarm on: alarm icon, then normal phase
    inet.Fail("the server did not answer within 30 s");
    Ticks(1);
    EXPECT_EQ(view.rows.front().second, 0);
    EXPECT_EQ(log.Count("alarm off: 0 players"), 1);
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
    tray.Clear();
    Ticks(1);
    EXPECT_EQ(tray.IconSteps().back(), 'N');
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
    form.tiFB_MouseMove(515);
    EXPECT_TRUE(view.visible);
}

TEST_F(MonitorFixture, QueryUnloadHidesUntilQuitting) {
    Start();
    view.visible = true;
    EXPECT_TRUE(form.Form_QueryUnload());
    EXPECT_FALSE(view.visible);
    for (const auto& [message, record] : tray.calls) EXPECT_NE(message, TrayMessage::Delete);

    app.Quitting = true;
    tray.Clear();
    EXPECT_FALSE(form.Form_QueryUnload());
    ASSERT_EQ(tray.calls.size(), 1u);
    EXPECT_EQ(tray.calls[0].first, TrayMessage::Delete);
    EXPECT_EQ(tray.calls[0].second.cbSize, 88u);
    EXPECT_EQ(tray.calls[0].second.hWnd, FakeMainView::kTrayWindow);
    EXPECT_EQ(tray.calls[0].second.uID, 1u);
}

TEST_F(MonitorFixture, TrayClicks) {
    Start();
    view.visible = false;
    // Mouse messages, and the notification's shown, hidden and timed-out messages.
    for (int message : {512, 513, 514, 516, 518, 519, 0x402, 0x403, 0x404}) form.tiFB_MouseMove(message);
    EXPECT_FALSE(view.visible);
    EXPECT_EQ(view.menusOpened, 0);
    form.tiFB_MouseMove(515);
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(view.showNormalCalls, 1);
    form.tiFB_MouseMove(515);
    EXPECT_EQ(view.showNormalCalls, 2);
    form.btnHide_Click();
    EXPECT_FALSE(view.visible);
    view.menuAnswers = {MenuCommand::Status};
    form.tiFB_MouseMove(517);
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(view.showNormalCalls, 2);  // the menu's Status leaves the window state alone
    form.btnHide_Click();
    form.tiFB_MouseMove(0x405);  // a click on the notification: as the double-click
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(view.showNormalCalls, 3);
}

TEST_F(MonitorFixture, TrayClicksDuringAMenuCommandDoNothing) {
    Start();
    view.visible = false;
    view.menuAnswers = {MenuCommand::About};
    view.duringMenu = [&] {
        form.tiFB_MouseMove(515);
        form.tiFB_MouseMove(517);
    };
    form.tiFB_MouseMove(517);
    EXPECT_EQ(view.menusOpened, 1);
    EXPECT_FALSE(view.visible);
    ASSERT_EQ(msgBox.shown.size(), 1u);
    EXPECT_EQ(msgBox.shown[0].text, std::string("Wendrel V") + WENDREL_VERSION + "\r\n\r\nhttp://www.orvane.example");
    EXPECT_EQ(msgBox.shown[0].title, "Orvane Software, Inc.");
    EXPECT_EQ(msgBox.shown[0].style, 64);
    view.duringMenu = nullptr;
    form.tiFB_MouseMove(515);  // the busy flag is clear again
    EXPECT_TRUE(view.visible);
}

TEST_F(MonitorFixture, OptionsCommandShowsTheDialogAndOkReachesTheMonitor) {
    Start();
    view.menuAnswers = {MenuCommand::Options};
    form.tiFB_MouseMove(517);
    EXPECT_TRUE(optionsView.visible);
    options.EditText(OptionsField::Minutes, "0");
    options.EditText(OptionsField::Users, "1");
    options.EditText(OptionsField::Sound, "bell.wav");
    options.cmdOK_Click();
    EXPECT_EQ(form.minutes, 0);
    EXPECT_EQ(form.AlarmOn, 1);
    EXPECT_EQ(form.Sound, "bell.wav");
}

struct LaunchCase {
    std::string path;
    std::int16_t inWindow;
    std::string commandLine, drive, folder;
    std::string application = path;  // the path made full against the current folder
};

TEST_F(MonitorFixture, LaunchStartsTheClientThenEndsInOrder) {
    const LaunchCase cases[] = {
        {"C:\\Program Files\\QuellanPro3\\qlpro.exe", 0, "C:\\Program Files\\QuellanPro3\\qlpro.exe",
         "C:", "C:\\Program Files\\QuellanPro3\\"},
        {"C:\\Program Files\\QuellanPro3\\qlpro.exe", 1, "C:\\Program Files\\QuellanPro3\\qlpro.exe ",
         "C:", "C:\\Program Files\\QuellanPro3\\"},
        {"E:\\q.exe", 2, "E:\\q.exe ", "E:", "E:\\"},
        {"\\\\server\\games\\ql.exe", 0, "\\\\server\\games\\ql.exe", "", "\\\\server\\games\\"},
        // A relative path is made full once, before the folder changes; the
        // command line keeps it as entered.
        {"Quellan\\qlpro.exe", 1, "Quellan\\qlpro.exe ", "D:", "D:\\Start\\Quellan\\", "D:\\Start\\Quellan\\qlpro.exe"},
        {"qlpro.exe", 0, "qlpro.exe", "D:", "D:\\Start\\", "D:\\Start\\qlpro.exe"},
    };
    for (const LaunchCase& c : cases) {
        FakeWorld w;
        FakeLauncher& l = w.launcher;
        FakeMainView& v = w.view;
        frmWendrel f{w.Deps("http://h")};
        f.Form_Initialize();
        f.Form_Load();
        w.options.EditText(OptionsField::Zalmo, c.path);
        w.options.EditCheck(OptionsField::InWindow, c.inWindow);
        f.mnuLaunch_Click();
        ASSERT_EQ(l.started.size(), 1u) << c.path;
        EXPECT_EQ(l.started[0].application, c.application);
        EXPECT_EQ(l.started[0].commandLine, c.commandLine);
        EXPECT_EQ(l.started[0].folder, c.folder);
        EXPECT_EQ(l.drives, c.drive.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.drive});
        EXPECT_TRUE(w.app.Quitting);
        EXPECT_FALSE(v.timerEnabled);
        EXPECT_TRUE(v.highIconUnloaded);
        EXPECT_TRUE(v.destroyed);
        EXPECT_TRUE(v.ended);
        EXPECT_EQ(w.tray.calls.back().first, TrayMessage::Delete);
        EXPECT_FALSE(w.options.IsLoaded());
    }
}

TEST_F(MonitorFixture, FailedLaunchesReportAndKeepRunning) {
    struct Case {
        const char* path;
        bool failDrive, failFolder, failStart;
        const char* mentions;
    };
    for (const Case& c : {Case{"ab", false, false, false, "not set"}, Case{"", false, false, false, "not set"},
                          Case{"C:\\Games\\ql.exe", true, false, false, "not ready"},
                          Case{"C:\\Missing\\ql.exe", false, true, false, "cannot find the path"},
                          Case{"C:\\Games\\gone.exe", false, false, true, "cannot find the file"}}) {
        Start();
        msgBox.shown.clear();
        launcher.failDrive = c.failDrive;
        launcher.failFolder = c.failFolder;
        launcher.failStart = c.failStart;
        launcher.cwd = "D:\\Start\\";
        options.EditText(OptionsField::Zalmo, c.path);
        form.mnuLaunch_Click();
        EXPECT_FALSE(app.Quitting) << c.path;
        EXPECT_TRUE(view.timerEnabled);
        EXPECT_FALSE(view.ended);
        EXPECT_TRUE(launcher.started.empty());
        EXPECT_EQ(launcher.cwd, "D:\\Start\\");
        ASSERT_EQ(msgBox.shown.size(), 1u) << c.path;
        EXPECT_NE(msgBox.shown[0].text.find(c.mentions), std::string::npos) << msgBox.shown[0].text;
        EXPECT_NE(msgBox.shown[0].text.find(std::string(c.path).size() >= 3 ? c.path : "Options"), std::string::npos);
        inet.requests.clear();
        form.btnRescan_Click();
        EXPECT_EQ(inet.requests.size(), 1u);  // still scanning
    }
}

TEST_F(MonitorFixture, SortMissionsReportsFailuresOnlyWhenThereAreAny) {
    Start();
    form.btnSort_Click();
    EXPECT_TRUE(msgBox.shown.empty());
    missions.failRead = true;
    form.btnSort_Click();
    ASSERT_EQ(msgBox.shown.size(), 1u);
    EXPECT_NE(msgBox.shown[0].text.find("A.MIS"), std::string::npos);
    EXPECT_NE(msgBox.shown[0].text.find("Access is denied"), std::string::npos);
}

TEST_F(MonitorFixture, FailedScanShowsWhyAndCountsZero) {
    inet.Fail("the server did not answer within 30 s");
    Start();
    EXPECT_EQ(view.rows, (std::vector<std::pair<std::string, std::int32_t>>{{"status.quellan.example", 0}}));
    EXPECT_EQ(view.statusLine, "Last scan 21:04:05 failed: the server did not answer within 30 s");
    EXPECT_EQ(log.lines.back(),
              "scan http://status.quellan.example failed: the server did not answer within 30 s; "
              "0 players");
}

TEST_F(MonitorFixture, TaskbarRestartAddsTheIconAsItIsShown) {
    Players(5);
    Start();  // alarm phase: the high icon
    tray.Clear();
    form.OnTaskbarCreated();
    ASSERT_EQ(tray.calls.size(), 1u);
    EXPECT_EQ(tray.calls[0].first, TrayMessage::Add);
    EXPECT_EQ(tray.calls[0].second.hIcon, FakeMainView::kHighIcon);
}

}  // namespace

namespace {

// Every setting stored in every form another program could leave: start-up
// and the Options form come up with the default where the value is unusable.
TEST(RegistryFaults, EachValueInEachUnusableFormFallsBackToItsDefault) {
    struct Kind {
        const char* what;
        std::uint32_t type;
        std::vector<std::uint8_t> bytes;
    };
    const std::vector<Kind> kinds = {
        {"REG_NONE", 0, {}},
        {"expandable", 2, {'%', 'X', '%', 0}},
        {"binary", 3, {1, 2, 3}},
        {"DWORD of 0", 4, {}},
        {"DWORD of 2", 4, {5, 0}},
        {"DWORD of 8", 4, {5, 0, 0, 0, 0, 0, 0, 0}},
        {"big-endian", 5, {0, 0, 0, 5}},
        {"link", 6, {'x', 0}},
        {"multi", 7, {'a', 0, 0}},
        {"QWORD", 11, {1, 0, 0, 0, 0, 0, 0, 0}},
        {"empty REG_SZ", 1, {}},
    };
    const std::pair<const char*, std::string> defaults[] = {{"CheckInterval", "5"},
                                                            {"Players", "2"},
                                                            {"AlarmSound", "Flyover.wav"},
                                                            {"ZalmoPath", "C:\\Program Files\\QuellanPro3\\qlpro.exe"},
                                                            {"InWindow", "1"}};
    for (const auto& [name, fallback] : defaults) {
        for (const Kind& kind : kinds) {
            FakeWorld w;
            w.registry.Put("Software\\Orvane\\Wendrel", name, kind.type, kind.bytes);
            frmWendrel form{w.Deps("http://h")};
            form.Form_Initialize();
            form.Form_Load();
            const OptionsControls& shown = w.optionsView.shown;
            const auto row = std::find_if(std::begin(kOptionsFields), std::end(kOptionsFields),
                                          [&](const OptionsFieldRow& r) { return r.stored && std::string_view(r.stored->name) == name; });
            const std::string value =
                row->kind == FieldKind::Check ? std::to_string(shown.Check(row->field)) : shown.Text(row->field);
            EXPECT_EQ(value, fallback) << name << " as " << kind.what;
            EXPECT_EQ(form.minutes, 5) << name << " as " << kind.what;
            EXPECT_EQ(form.AlarmOn, 2) << name << " as " << kind.what;
            EXPECT_EQ(w.inet.requests.size(), 1u);
        }
    }
}

}  // namespace
