// The commands: exit, launch, Sort Missions and Options.
#include "MonitorFixture.h"

namespace {

// The program ended as Exit ends it: the timer stopped, the alarm icon
// unloaded, the windows gone, the tray icon deleted, Options unloaded.
void ExpectEnded(FakeWorld& w) {
    EXPECT_TRUE(w.app.Quitting);
    EXPECT_FALSE(w.view.timerEnabled);
    EXPECT_TRUE(w.view.highIconUnloaded);
    EXPECT_TRUE(w.view.destroyed);
    EXPECT_TRUE(w.view.ended);
    EXPECT_EQ(w.tray.calls.back().first, TrayMessage::Delete);
    EXPECT_FALSE(w.options.IsLoaded());
}

TEST_F(MonitorFixture, ExitDuringAScanEndsWithoutAnAlarmDecision) {
    Players(1);
    Start();
    const auto rowsBefore = view.rows;
    form.ApplySettings({0, 0, "x.wav"});  // the next rescan would alarm
    Players(20);
    inet.duringFetch = [&] { form.mnuQuit_Click(); };
    form.Timer1_Timer();
    ExpectEnded(*this);
    EXPECT_EQ(view.rows, rowsBefore);
    EXPECT_EQ(log.Count("alarm on"), 0);
    EXPECT_EQ(tray.IconSteps().find('H'), std::string::npos);
    EXPECT_TRUE(sound.played.empty());
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
        ExpectEnded(w);
        EXPECT_EQ(w.log.lines.back(), logged);
    }
}

TEST_F(MonitorFixture, OptionsCommandShowsTheDialogAndOkReachesTheMonitor) {
    Start();
    view.menuAnswers = {MenuCommand::Options};
    form.tiFB_MouseMove(kWmRButtonUp);
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
        SCOPED_TRACE(c.path);
        FakeWorld w;
        FakeLauncher& l = w.launcher;
        StartedForm f{w.Deps("http://h")};
        w.options.EditText(OptionsField::Zalmo, c.path);
        w.options.EditCheck(OptionsField::InWindow, c.inWindow);
        f.mnuLaunch_Click();
        ASSERT_EQ(l.started.size(), 1u) << c.path;
        EXPECT_EQ(l.started[0].application, c.application);
        EXPECT_EQ(l.started[0].commandLine, c.commandLine);
        EXPECT_EQ(l.started[0].folder, c.folder);
        EXPECT_EQ(l.drives, c.drive.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.drive});
        ExpectEnded(w);
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

}  // namespace
