#include <gtest/gtest.h>

#include "FakeViews.h"
#include "MemoryRegistry.h"
#include "settings/Settings.h"
#include "settings/frmOptions.h"

namespace {

constexpr const char* kKey = Settings::kKeyPath;
constexpr const char* kRun = Settings::kRunKeyPath;
constexpr const char* kRunValue = Settings::kRunValueName;
const std::string kStart = "\"C:\\Program Files\\Wendrel\\wendrel.exe\" --timeout 20";

struct RecordingMonitor : MonitorSettingsSink {
    int calls = 0;
    MonitorSettings last;
    void ApplySettings(const MonitorSettings& settings) override {
        ++calls;
        last = settings;
    }
};

struct OptionsFixture : ::testing::Test {
    MemoryRegistry registry;
    mdRegistry store{registry};
    FakeOptionsView view;
    FakeMsgBox msgBox;
    RecordingMonitor monitor;
    frmOptions form{store, view, msgBox, kStart};

    void SetUp() override { form.SetMonitor(&monitor); }

    void Tick(std::int16_t inWindow, std::int16_t notify, std::int16_t startWithWindows) {
        form.EditCheck(OptionsField::InWindow, inWindow);
        form.EditCheck(OptionsField::Notify, notify);
        form.EditCheck(OptionsField::StartWithWindows, startWithWindows);
    }

    void Type(const std::string& minutes, const std::string& users) {
        form.EditText(OptionsField::Minutes, minutes);
        form.EditText(OptionsField::Users, users);
    }
};

TEST_F(OptionsFixture, FirstReadLoadsDefaultsHiddenAndWritesNothing) {
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_EQ(form.txtZalmo(), "C:\\Program Files\\QuellanPro3\\qlpro.exe");
    EXPECT_TRUE(form.IsLoaded());
    EXPECT_TRUE(view.created);
    EXPECT_FALSE(view.visible);
    EXPECT_EQ(form.txtMinutes(), "5");
    EXPECT_EQ(form.txtUsers(), "2");
    EXPECT_EQ(form.txtSound(), "Flyover.wav");
    EXPECT_EQ(form.ckInWindow(), 1);
    EXPECT_EQ(form.ckNotify(), 1);
    EXPECT_EQ(form.ckStartWithWindows(), 0);
    EXPECT_EQ(view.shown.Text(OptionsField::Sound), "Flyover.wav");
    EXPECT_EQ(view.loads, 1);
    EXPECT_EQ(registry.ValueCount(), 0u);
    EXPECT_FALSE(registry.HasKey(kKey));
}

TEST_F(OptionsFixture, OkStoresAllFiveWithTheirTypesAndUpdatesTheMonitor) {
    form.Show();
    EXPECT_TRUE(view.visible);
    Type(" 10 ", "2.5");
    form.EditText(OptionsField::Sound, "");
    form.EditText(OptionsField::Zalmo, "D:\\Games\\ql.exe");
    Tick(0, 0, 1);
    form.cmdOK_Click();

    EXPECT_FALSE(view.visible);
    EXPECT_EQ(store.FetchSetting(kKey, "Notify"), SettingValue(std::int32_t{0}));
    EXPECT_EQ(registry.Get(kKey, "Notify")->type, kRegDword);
    EXPECT_EQ(store.FetchSetting(kRun, kRunValue), SettingValue(kStart));
    EXPECT_FALSE(monitor.last.notify);
    EXPECT_EQ(registry.Get(kKey, "CheckInterval")->type, kRegDword);
    EXPECT_EQ(store.FetchSetting(kKey, "CheckInterval"), SettingValue(std::int32_t{10}));
    EXPECT_EQ(store.FetchSetting(kKey, "Players"), SettingValue(std::int32_t{2}));
    EXPECT_EQ(registry.Get(kKey, "AlarmSound")->type, kRegSz);
    EXPECT_EQ(store.FetchSetting(kKey, "AlarmSound"), SettingValue(std::string()));
    EXPECT_EQ(store.FetchSetting(kKey, "ZalmoPath"), SettingValue(std::string("D:\\Games\\ql.exe")));
    EXPECT_EQ(store.FetchSetting(kKey, "InWindow"), SettingValue(std::int32_t{0}));
    EXPECT_EQ(monitor.calls, 1);
    EXPECT_EQ(monitor.last.minutes, 10);
    EXPECT_EQ(monitor.last.alarmOn, 2);
    EXPECT_EQ(monitor.last.sound, "");
    EXPECT_EQ(form.txtMinutes(), " 10 ");  // kept as typed until the next load

    form.Form_Activate();
    EXPECT_EQ(form.txtMinutes(), "10");
    EXPECT_EQ(form.txtSound(), "");  // an empty stored sound stays empty
    EXPECT_EQ(form.ckStartWithWindows(), 1);

    form.EditCheck(OptionsField::StartWithWindows, 0);  // unticked, OK removes the value
    form.cmdOK_Click();
    EXPECT_FALSE(store.HasValue(kRun, kRunValue));
    EXPECT_EQ(registry.callsWithoutKey, 0);
}

TEST_F(OptionsFixture, InvalidNumbersSaveNothingAndFocusTheBox) {
    struct Case {
        const char* minutes;
        const char* users;
        OptionsField focus;
    };
    for (const Case& c : {Case{"", "2", OptionsField::Minutes}, Case{"abc", "2", OptionsField::Minutes},
                          Case{"1e99", "2", OptionsField::Minutes}, Case{"5", "", OptionsField::Users},
                          Case{"5", "2147483648", OptionsField::Users}, Case{"x", "y", OptionsField::Minutes}}) {
        form.Show();
        Type(c.minutes, c.users);
        form.EditCheck(OptionsField::StartWithWindows, 1);
        msgBox.shown.clear();
        form.cmdOK_Click();
        EXPECT_EQ(registry.ValueCount(), 0u) << c.minutes << "/" << c.users;
        EXPECT_EQ(monitor.calls, 0);
        EXPECT_TRUE(view.visible);
        ASSERT_EQ(msgBox.shown.size(), 1u);
        EXPECT_EQ(view.focused, c.focus);
        const std::string& text = msgBox.shown[0].text;
        EXPECT_NE(text.find(c.focus == OptionsField::Minutes ? "Check every" : "Players online"), std::string::npos);
        EXPECT_NE(text.find("whole number"), std::string::npos);
    }
}

// What cannot be stored keeps the dialog open and is named; the monitor
// still takes the settings. A start command Windows would not run is refused
// before anything is stored.
TEST_F(OptionsFixture, WhatCannotBeSavedIsNamedAndTheDialogStaysOpen) {
    struct Case {
        const char* readOnly;
        const char* denied;
        std::string startCommand;
        std::vector<std::string> named;  // in the message
        int monitorCalls;
    };
    const Case cases[] = {
        {kKey, "", kStart, {"Check every (minutes): Access is denied", "Show a notification: Access is denied"}, 1},
        {"", kRun, kStart, {"Start Wendrel with Windows: Access is denied"}, 1},
        {"", "", "\"C:\\" + std::string(300, 'x') + "\\wendrel.exe\"", {"is 317 characters long", "up to 260"}, 0},
    };
    for (const Case& c : cases) {
        MemoryRegistry reg;
        mdRegistry st{reg};
        FakeOptionsView v;
        FakeMsgBox box;
        RecordingMonitor m;
        frmOptions f{st, v, box, c.startCommand};
        f.SetMonitor(&m);
        st.EnsureKey(kKey, kHKeyCurrentUser);
        if (*c.readOnly) reg.readOnlyKeys.insert(c.readOnly);
        if (*c.denied) reg.deniedKeys.insert(c.denied);
        f.Show();
        f.EditCheck(OptionsField::StartWithWindows, 1);
        f.cmdOK_Click();
        EXPECT_TRUE(v.visible) << c.named[0];
        ASSERT_EQ(box.shown.size(), 1u);
        for (const std::string& words : c.named) EXPECT_NE(box.shown[0].text.find(words), std::string::npos) << box.shown[0].text;
        EXPECT_EQ(m.calls, c.monitorCalls);
        if (c.monitorCalls == 0) {
            EXPECT_EQ(reg.ValueCount(), 0u) << "refused before anything is stored";
        }
    }
}

TEST_F(OptionsFixture, CancelKeepsEditsUntilTheNextActivation) {
    store.EnsureKey(kKey, kHKeyCurrentUser);
    store.StoreSetting(kKey, "ZalmoPath", std::string("C:\\stored.exe"), kRegSz);
    form.Show();
    form.Form_Activate();
    form.EditText(OptionsField::Zalmo, "C:\\edited.exe");
    Tick(0, 0, 1);
    form.cmdCancel_Click();
    EXPECT_FALSE(view.visible);
    EXPECT_EQ(form.txtZalmo(), "C:\\edited.exe");
    EXPECT_EQ(form.ckInWindow(), 0);
    EXPECT_EQ(form.ckNotify(), 0);
    EXPECT_EQ(form.ckStartWithWindows(), 1);
    EXPECT_FALSE(registry.HasKey(kRun));
    EXPECT_EQ(store.FetchSetting(kKey, "ZalmoPath"), SettingValue(std::string("C:\\stored.exe")));
    EXPECT_EQ(monitor.calls, 0);

    form.Show();
    form.Form_Activate();
    EXPECT_EQ(form.txtZalmo(), "C:\\stored.exe");
    EXPECT_EQ(form.ckInWindow(), 1);
    EXPECT_EQ(form.ckNotify(), 1);
    EXPECT_EQ(form.ckStartWithWindows(), 0);
}

TEST_F(OptionsFixture, UnloadDropsEditsAndTheNextReadLoadsFromTheStore) {
    form.Show();
    form.EditText(OptionsField::Users, "9");
    form.Unload();
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_FALSE(view.created);
    EXPECT_EQ(form.txtUsers(), "2");
    EXPECT_EQ(view.loads, 2);
}

TEST_F(OptionsFixture, StoredValuesTheFormCannotShowFallBackToDefaults) {
    registry.Put(kKey, "InWindow", kRegDword, {0x00, 0x00, 0x01, 0x00});  // 65536
    registry.Put(kKey, "CheckInterval", 3, {1, 2});                       // binary
    registry.PutText(kKey, "Players", "");
    registry.Put(kKey, "AlarmSound", kRegDword, {7, 0, 0, 0});
    EXPECT_EQ(form.ckInWindow(), 1);
    EXPECT_EQ(form.txtMinutes(), "5");
    EXPECT_EQ(form.txtUsers(), "");
    EXPECT_EQ(form.txtSound(), "7");

    const std::pair<std::string, std::int16_t> checks[] = {{"abc", 1}, {"0", 0},   {"2", 2},    {"3", 1},
                                                           {"-1", 1},  {"1.5", 2}, {"99999", 1}};
    for (const char* name : {"InWindow", "Notify"}) {
        for (const auto& [text, expected] : checks) {
            registry.PutText(kKey, name, text);
            form.LoadSettings();
            EXPECT_EQ(std::string(name) == "Notify" ? form.ckNotify() : form.ckInWindow(), expected)
                << name << " " << text;
        }
    }
    // Any value named "Wendrel" under the Run key starts the program, whatever its type.
    registry.Put(kRun, kRunValue, 2, {'%', 'X', '%', 0});
    form.LoadSettings();
    EXPECT_EQ(form.ckStartWithWindows(), 1);
}

TEST_F(OptionsFixture, FilePickersUseTheirFilterAndKeepTheBoxOnCancel) {
    form.Show();
    form.EditText(OptionsField::Sound, "C:\\old.wav");
    view.pickerAnswers = {std::nullopt, std::string("C:\\new.wav"), std::string("C:\\ql\\ql.exe")};
    form.btnAlarmDlg_Click();
    EXPECT_EQ(form.txtSound(), "C:\\old.wav");
    form.btnAlarmDlg_Click();
    EXPECT_EQ(form.txtSound(), "C:\\new.wav");
    EXPECT_EQ(view.shown.Text(OptionsField::Sound), "C:\\new.wav");
    form.btnZalmoDlg_Click();
    EXPECT_EQ(form.txtZalmo(), "C:\\ql\\ql.exe");

    ASSERT_EQ(view.picks.size(), 3u);
    EXPECT_EQ(view.picks[0].initial, "C:\\old.wav");
    EXPECT_EQ(view.picks[0].filter, "All Files (*.*)|*.*|Wave Files (*.wav)|*.wav");
    EXPECT_EQ(view.picks[0].index, 2);
    EXPECT_EQ(view.picks[2].initial, "C:\\Program Files\\QuellanPro3\\qlpro.exe");
    EXPECT_EQ(view.picks[2].filter, "All Files (*.*)|*.*|Executables (*.exe)|*.exe");
    EXPECT_EQ(registry.ValueCount(), 0u);
}

}  // namespace
