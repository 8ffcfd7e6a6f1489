#include <gtest/gtest.h>

#include <algorithm>

#include "FakeViews.h"
#include "MemoryRegistry.h"
#include "platform/resource.h"
#include "settings/OptionsLayout.h"
#include "settings/RunValue.h"
#include "settings/Settings.h"
#include "settings/frmOptions.h"
#include "text/Languages.h"

namespace {

constexpr const char* kKey = Settings::kKeyPath;
constexpr const char* kRun = Settings::kRunKeyPath;
constexpr const char* kRunValue = Settings::kRunValueName;
const std::string kStart = "\"C:\\Program Files\\Wendrel\\wendrel.exe\" --timeout 20";

struct RecordingMonitor : MonitorSettingsSink {
    int calls = 0;
    MonitorSettings last;
    std::vector<std::pair<std::string, std::int32_t>> tests;  // sound, threshold
    std::vector<Message> findings;                             // what a test finds
    void ApplySettings(const MonitorSettings& settings) override {
        ++calls;
        last = settings;
    }
    std::vector<Message> TestAlarm(const std::string& sound, std::int32_t threshold) override {
        tests.emplace_back(sound, threshold);
        return findings;
    }
};

struct RecordingLanguages : LanguageSink {
    std::vector<std::string> used;
    void UseLanguage(const std::string& stored) override { used.push_back(stored); }
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
    EXPECT_EQ(registry.Get(kRun, kRunValue), nullptr);
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

// "Start Wendrel with Windows" is ticked only when the Run value starts this
// copy (as the setup decides it); another copy's is named under the box and
// left alone unless the box is ticked.
TEST_F(OptionsFixture, TheBoxShowsAndChangesOnlyThisCopysStartWithWindows) {
    const std::string other = "\"D:\\Portable\\Wendrel\\wendrel.exe\" --timeout 5";
    const auto text = [](const std::string& t) {
        std::vector<std::uint8_t> bytes(t.begin(), t.end());
        bytes.push_back(0);
        return bytes;
    };
    struct Case {
        const char* what;
        std::uint32_t type;  // 0: no value
        std::vector<std::uint8_t> bytes;
        std::int16_t ticked;
        std::string note;
        bool denied = false;  // the Run key cannot be opened
    };
    const std::string unreadable = "Windows starts something else named Wendrel now; it cannot be read.";
    const Case cases[] = {
        {"none", 0, {}, 0, ""},
        {"empty", kRegSz, text(""), 0, ""},
        {"this copy", kRegSz, text(kStart), 1, ""},
        {"this copy, other letter case and options", kRegSz,
         text("\"c:\\program files\\WENDREL\\wendrel.exe\" --status-url http://lobby.example"), 1, ""},
        {"another copy", kRegSz, text(other), 0, "Windows starts another copy now: D:\\Portable\\Wendrel\\wendrel.exe"},
        {"this path, unquoted", kRegSz, text("C:\\Program Files\\Wendrel\\wendrel.exe --timeout 20"), 0,
         "Windows starts another copy now: C:\\Program Files\\Wendrel\\wendrel.exe"},
        {"expandable", kRegExpandSz, text("%LOCALAPPDATA%\\Wendrel\\wendrel.exe"), 0,
         "Windows starts another copy now: %LOCALAPPDATA%\\Wendrel\\wendrel.exe"},
        {"binary", 3, {1, 2, 3}, 0, unreadable},
        {"a key that cannot be read", kRegSz, text(other), 0, unreadable, true},
    };
    for (const Case& c : cases) {
        MemoryRegistry reg;
        mdRegistry st{reg};
        FakeOptionsView v;
        FakeMsgBox box;
        frmOptions f{st, v, box, kStart};
        if (c.type) reg.Put(kRun, kRunValue, c.type, c.bytes);
        if (c.denied) reg.deniedKeys.insert(kRun);
        f.Show();
        EXPECT_EQ(f.ckStartWithWindows(), c.ticked) << c.what;
        EXPECT_EQ(v.shown.startupNote, c.note) << c.what;

        // OK with the box as it shows: this copy's value is written again as
        // this copy starts now; any other stays as it was.
        f.cmdOK_Click();
        EXPECT_TRUE(box.shown.empty()) << c.what;
        const auto* now = reg.Get(kRun, kRunValue);
        if (c.ticked) {
            EXPECT_EQ(st.FetchSetting(kRun, kRunValue), SettingValue(kStart)) << c.what;
        } else if (c.type) {
            ASSERT_NE(now, nullptr) << c.what;
            EXPECT_EQ(now->bytes, c.bytes) << c.what;
        } else {
            EXPECT_EQ(now, nullptr) << c.what;
        }
        if (c.denied) continue;
        // Ticked, it starts this copy; unticked again, it is gone.
        f.Show();
        f.EditCheck(OptionsField::StartWithWindows, 1);
        f.cmdOK_Click();
        EXPECT_EQ(st.FetchSetting(kRun, kRunValue), SettingValue(kStart)) << c.what;
        f.Form_Activate();
        EXPECT_EQ(v.shown.startupNote, "") << c.what;
        f.EditCheck(OptionsField::StartWithWindows, 0);
        f.cmdOK_Click();
        EXPECT_EQ(reg.Get(kRun, kRunValue), nullptr) << c.what;
    }
    EXPECT_EQ(CommandProgram("  \"C:\\A B\\w.exe\"x"), "C:\\A B\\w.exe");
    EXPECT_EQ(CommandProgram("w.exe --log x"), "w.exe");
    EXPECT_EQ(CommandProgram("C:\\A B\\w.EXE"), "C:\\A B\\w.EXE");
    EXPECT_EQ(CommandProgram("\"unclosed"), "unclosed");
}

// The language list shows the stored choice; OK switches the language only
// when the choice changed, and stores nothing else differently.
TEST_F(OptionsFixture, TheLanguageListShowsTheStoredChoiceAndOkSwitchesOnlyWhenItChanged) {
    const std::vector<LanguageChoice> choices = LanguageChoices(EnglishTexts());
    std::vector<std::string> shown;
    for (const LanguageChoice& c : choices) shown.push_back(c.code + "=" + c.name);
    EXPECT_EQ(shown, (std::vector<std::string>{"=Windows' language", "en=English", "de=Deutsch", "ru=Русский",
                                               "pl=Polski", "hu=Magyar", "fr=Français"}));
    struct Case {
        const char* what;
        std::optional<std::string> stored;
        std::size_t shows;           // the entry of the list
        std::optional<std::string> chosen;  // what the player picks
        std::vector<std::string> switched;
        std::string storedAfter;
    };
    const Case cases[] = {
        {"absent", std::nullopt, 0, std::nullopt, {}, ""},
        {"German", "de", 2, std::nullopt, {}, "de"},
        {"German in capitals", "DE", 2, std::nullopt, {}, "DE"},
        {"unknown, kept", "xx", 0, std::nullopt, {}, "xx"},
        {"the test language, not offered", "qps-ploc", 0, std::nullopt, {}, "qps-ploc"},
        {"to Russian", std::nullopt, 0, "ru", {"ru"}, "ru"},
        {"back to Windows'", "pl", 4, "", {""}, ""},
        {"the same again", "fr", 6, "fr", {}, "fr"},
    };
    for (const Case& c : cases) {
        MemoryRegistry reg;
        mdRegistry st{reg};
        FakeOptionsView v;
        FakeMsgBox box;
        RecordingLanguages languages;
        frmOptions f{st, v, box, kStart};
        f.SetLanguage(nullptr, &languages);
        st.EnsureKey(kKey, kHKeyCurrentUser);
        st.StoreSetting(kKey, "Players", std::int32_t{4}, kRegDword);
        if (c.stored) st.StoreSetting(kKey, "Language", *c.stored, kRegSz);
        f.Show();
        EXPECT_EQ(LanguageChoiceIndex(choices, v.shown.Text(OptionsField::Language)), c.shows) << c.what;
        if (c.chosen) f.EditText(OptionsField::Language, *c.chosen);
        f.cmdOK_Click();
        EXPECT_EQ(languages.used, c.switched) << c.what;
        EXPECT_EQ(st.FetchSetting(kKey, "Language"), SettingValue(c.storedAfter)) << c.what;
        EXPECT_EQ(reg.Get(kKey, "Language")->type, kRegSz) << c.what;
        EXPECT_EQ(st.FetchSetting(kKey, "Players"), SettingValue(std::int32_t{4})) << c.what;
        EXPECT_FALSE(v.visible) << c.what;
    }
}

// The messages, the file pickers' filters and the note come from the
// catalogue, in the language chosen.
TEST_F(OptionsFixture, MessagesAndFiltersSpeakTheLanguageShown) {
    const InvariantFormat format;
    const Texts pseudo(format, *FindLanguage("qps-ploc"));
    form.SetLanguage(&pseudo, nullptr);
    registry.PutText(kRun, kRunValue, "\"D:\\W\\wendrel.exe\"");
    form.Show();
    EXPECT_EQ(view.shown.startupNote, pseudo(Message(Msg::OptionsOtherCopyStarts, std::string("D:\\W\\wendrel.exe"))));
    Type("x", "2");
    form.cmdOK_Click();
    ASSERT_EQ(msgBox.shown.size(), 1u);
    EXPECT_EQ(msgBox.shown[0].title, pseudo(Message(Msg::OptionsTitle)));
    std::string name = pseudo(Message(Msg::OptionsFieldMinutes));
    EXPECT_EQ(msgBox.shown[0].text, pseudo(Message(Msg::OptionsNotANumber, name, std::string("x"), INT32_MIN, INT32_MAX)));
    form.btnAlarmDlg_Click();
    ASSERT_EQ(view.picks.size(), 1u);
    EXPECT_EQ(view.picks[0].filter,
              pseudo(Message(Msg::OptionsAllFiles)) + "|*.*|" + pseudo(Message(Msg::OptionsWaveFiles)) + "|*.wav");
    EXPECT_EQ(FieldName(FieldRow(OptionsField::Remind), EnglishTexts()), "Tell me before it usually gets busy");
}

// Test takes the sound and the threshold in the dialog, saved or not, and
// says in one message what the monitor found.
TEST_F(OptionsFixture, TestTakesTheDialogsSoundAndThresholdAndSaysWhatItFound) {
    form.Show();
    form.EditText(OptionsField::Sound, "C:\\x.wav");
    Type("5", "many");
    monitor.findings = {Message(Msg::OptionsTestNoFile, std::string("C:\\x.wav")),
                        Message(Msg::NotifyHeldBack, Message(Msg::NotifyHeldBusy))};
    form.btnTest_Click();
    ASSERT_EQ(monitor.tests.size(), 1u);
    EXPECT_EQ(monitor.tests[0], (std::pair<std::string, std::int32_t>{"C:\\x.wav", 2})) << "no number: the default";
    ASSERT_EQ(msgBox.shown.size(), 1u);
    EXPECT_EQ(msgBox.shown[0].text,
              "C:\\x.wav: no such file\r\n\r\nWindows held the notification back: a full-screen program is running; "
              "the sound played and the icon flashes");
    EXPECT_EQ(msgBox.shown[0].title, "Options");

    monitor.findings.clear();
    Type("5", "7");
    form.btnTest_Click();
    EXPECT_EQ(monitor.tests.back().second, 7);
    EXPECT_EQ(msgBox.shown.size(), 1u) << "nothing to tell";
    EXPECT_EQ(registry.ValueCount(), 0u) << "Test saves nothing";
    EXPECT_EQ(monitor.calls, 0);
}

// The English window keeps its places: the controls of old where they were,
// Test beside the alarm sound's "...", the language under the check boxes.
TEST(OptionsLayoutTest, CaptionsThatFitKeepTheDesign) {
    const OptionsLayout design = OptionsDesign();
    const OptionsLayout fitted = LayOutOptions([](const OptionsPiece& p) {
        return p.id == IDC_LABEL0 ? p.box.width : p.box.width / 2;  // a label as wide as its box, the others half
    });
    ASSERT_EQ(fitted.pieces.size(), design.pieces.size());
    for (std::size_t i = 0; i < design.pieces.size(); ++i) EXPECT_EQ(fitted.pieces[i].box, design.pieces[i].box) << i;
    EXPECT_EQ(fitted.width, design.width);
    EXPECT_EQ(fitted.height, design.height);
    // A label that needs its whole room up to the next box widens, and moves nothing.
    const OptionsLayout upToTheBox = LayOutOptions([](const OptionsPiece& p) { return p.id == IDC_LABEL0 ? 1215 : 0; });
    EXPECT_EQ(upToTheBox.Find(IDC_LABEL0)->box.width, 1215);
    EXPECT_EQ(upToTheBox.Find(IDC_MINUTES)->box, design.Find(IDC_MINUTES)->box);
    const std::pair<int, TwipBox> places[] = {
        {IDC_LABEL0, {105, 150, 1080, 270}},   {IDC_MINUTES, {1320, 120, 645, 315}},
        {IDC_LABEL2, {2040, 120, 960, 270}},   {IDC_USERS, {2880, 120, 645, 315}},
        {IDC_LABEL3, {3600, 120, 960, 270}},   {IDC_LABEL1, {105, 533, 1080, 270}},
        {IDC_SOUND, {1320, 533, 3525, 315}},   {IDC_ALARMDLG, {4800, 533, 375, 323}},
        {IDC_ZALMO, {1320, 960, 3525, 315}},   {IDC_ZALMODLG, {4800, 960, 375, 323}},
        {IDC_INWINDOW, {1320, 1440, 3015, 255}},
    };
    for (const auto& [id, box] : places) EXPECT_EQ(design.Find(id)->box, box) << id;
    const TwipBox test = design.Find(IDC_TEST)->box;
    EXPECT_GT(test.left, design.Find(IDC_ALARMDLG)->box.Right());
    EXPECT_EQ(test.top, 533);
    EXPECT_EQ(design.width - test.Right(), 5370 - 5175) << "the old right margin";
    // In tab order: each label before its box, Test after "...", OK and Cancel last.
    std::vector<int> order;
    for (const OptionsPiece& p : design.pieces) order.push_back(p.id);
    const auto at = [&](int id) { return std::find(order.begin(), order.end(), id) - order.begin(); };
    EXPECT_EQ(at(IDC_SOUND), at(IDC_LABEL1) + 1);
    EXPECT_EQ(at(IDC_TEST), at(IDC_ALARMDLG) + 1);
    EXPECT_EQ(at(IDC_LANGUAGE), at(IDC_LABEL5) + 1);
    EXPECT_EQ(at(IDC_STARTUP_NOTE), at(IDC_STARTUP) + 1);
    EXPECT_EQ(order.back(), IDC_OPTIONS_CANCEL);
    int lastBottom = 0;
    for (int id : {IDC_INWINDOW, IDC_NOTIFY, IDC_REMIND, IDC_STARTUP, IDC_STARTUP_NOTE, IDC_LANGUAGE, IDC_OPTIONS_OK}) {
        EXPECT_GE(design.Find(id)->box.top, lastBottom) << id;
        lastBottom = design.Find(id)->box.top + design.Find(id)->box.height;
    }
    EXPECT_LE(lastBottom, design.height);
}

// Longer captions (another language) widen their controls and push what
// follows in their row, the second column stays one column, and the
// window holds it all.
TEST(OptionsLayoutTest, LongerCaptionsGrowTheirRowsAndTheWindow) {
    const OptionsLayout design = OptionsDesign();
    for (const double factor : {1.3, 2.0, 3.5}) {
        const auto needed = [&](const OptionsPiece& p) {
            return p.caption || p.kind == PieceKind::List ? static_cast<int>(p.box.width * factor) : 0;
        };
        const OptionsLayout grown = LayOutOptions(needed);
        for (std::size_t i = 0; i < grown.pieces.size(); ++i) {
            const OptionsPiece& p = grown.pieces[i];
            const OptionsPiece& d = design.pieces[i];
            const int need = needed(d);
            EXPECT_GE(p.box.width, need) << p.id;
            EXPECT_LE(p.box.left + need + 195, grown.width) << p.id;
            EXPECT_EQ(p.box.top, d.box.top) << p.id;
            EXPECT_EQ(p.box.height, d.box.height) << p.id;
            if (i + 1 < grown.pieces.size() && grown.pieces[i + 1].row == p.row) {
                EXPECT_LE(p.box.left + need, grown.pieces[i + 1].box.left) << p.id << " runs into the next " << factor;
            }
        }
        const int column = grown.Find(IDC_MINUTES)->box.left;
        EXPECT_GT(column, 1320);
        for (int id : {IDC_SOUND, IDC_ZALMO, IDC_INWINDOW, IDC_STARTUP_NOTE, IDC_LANGUAGE})
            EXPECT_EQ(grown.Find(id)->box.left, column) << id;
        EXPECT_EQ(grown.Find(IDC_STARTUP_NOTE)->box.Right(), grown.width - 195);
        EXPECT_EQ(grown.height, design.height);
    }
    // One long label of the first column moves the whole second column, no more.
    const OptionsLayout moved =
        LayOutOptions([](const OptionsPiece& p) { return p.id == IDC_LABEL5 ? 2000 : 0; });
    EXPECT_EQ(moved.Find(IDC_LABEL0)->box, design.Find(IDC_LABEL0)->box);
    for (int id : {IDC_MINUTES, IDC_USERS, IDC_TEST, IDC_REMIND, IDC_LANGUAGE, IDC_OPTIONS_CANCEL})
        EXPECT_EQ(moved.Find(id)->box.left, design.Find(id)->box.left + 2000 - (1320 - 105)) << id;
    EXPECT_EQ(moved.width, design.width + 2000 - (1320 - 105));
}

}  // namespace
