#include <gtest/gtest.h>

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
    Type(" 10 ", "+2");
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
        const char* says;
    };
    const char* const notWhole = "is not a whole number";
    const char* const outOfRange = "is out of range";
    for (const Case& c :
         {Case{"", "2", OptionsField::Minutes, notWhole}, Case{"abc", "2", OptionsField::Minutes, notWhole},
          Case{"1e99", "2", OptionsField::Minutes, notWhole}, Case{"5", "", OptionsField::Users, notWhole},
          Case{"3.5", "2", OptionsField::Minutes, notWhole}, Case{"1e3", "2", OptionsField::Minutes, notWhole},
          Case{"5", "2.", OptionsField::Users, notWhole}, Case{"- 1", "2", OptionsField::Minutes, notWhole},
          Case{"5", "2147483648", OptionsField::Users, outOfRange},
          Case{"4294967295", "2", OptionsField::Minutes, outOfRange},
          Case{"-2147483649", "2", OptionsField::Minutes, outOfRange},
          Case{"x", "y", OptionsField::Minutes, notWhole}}) {
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
        EXPECT_NE(text.find(c.says), std::string::npos) << text;
        EXPECT_NE(text.find("from -2147483648 to 2147483647"), std::string::npos) << text;
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
// left alone by OK unless the box is ticked.
TEST_F(OptionsFixture, TheBoxShowsAndChangesOnlyThisCopysStartWithWindows) {
    const std::string other = "Windows starts another copy now: ";
    const std::string unreadable = "Windows starts something else named Wendrel now; it cannot be read.";
    struct Case {
        std::uint32_t type;  // 0: no value; 99: a Run key that cannot be opened
        std::string value;   // a text's, without its terminating zero
        std::int16_t ticked;
        std::string note;
    } const cases[] = {
        {0, "", 0, ""},
        {kRegSz, "", 0, ""},
        {kRegSz, kStart, 1, ""},
        {kRegSz, "\"c:\\program files\\WENDREL\\wendrel.exe\" --status-url http://lobby.example", 1, ""},
        {kRegSz, "\"D:\\Portable\\wendrel.exe\" --timeout 5", 0, other + "D:\\Portable\\wendrel.exe"},
        {kRegSz, "C:\\Program Files\\Wendrel\\wendrel.exe", 0, other + "C:\\Program Files\\Wendrel\\wendrel.exe"},
        {kRegExpandSz, "%LOCALAPPDATA%\\w.exe", 0, other + "%LOCALAPPDATA%\\w.exe"},
        {3, "\1\2", 0, unreadable},
        {99, "\"D:\\Portable\\wendrel.exe\"", 0, unreadable},
    };
    for (const Case& c : cases) {
        MemoryRegistry reg;
        mdRegistry st{reg};
        FakeOptionsView v;
        frmOptions f{st, v, msgBox, kStart};
        if (c.type) reg.PutText(kRun, kRunValue, c.value);
        if (c.type == kRegExpandSz || c.type == 3) reg.Put(kRun, kRunValue, c.type, reg.Get(kRun, kRunValue)->bytes);
        if (c.type == 99) reg.deniedKeys.insert(kRun);
        const auto before = c.type ? std::optional(reg.Get(kRun, kRunValue)->bytes) : std::nullopt;
        f.Show();
        EXPECT_EQ(f.ckStartWithWindows(), c.ticked) << c.value;
        EXPECT_EQ(v.shown.startupNote, c.note) << c.value;
        f.cmdOK_Click();  // this copy's value is written again as it starts now; any other stays
        const auto* after = reg.Get(kRun, kRunValue);
        if (c.ticked) {
            EXPECT_EQ(st.FetchSetting(kRun, kRunValue), SettingValue(kStart)) << c.value;
        } else {
            EXPECT_EQ(after ? std::optional(after->bytes) : std::nullopt, before) << c.value;
        }
    }
    EXPECT_TRUE(msgBox.shown.empty());
    // Ticked, it starts this copy, and no other's is named; unticked again, it is gone.
    registry.PutText(kRun, kRunValue, "\"D:\\Portable\\wendrel.exe\"");
    form.Show();
    form.EditCheck(OptionsField::StartWithWindows, 1);
    form.cmdOK_Click();
    EXPECT_EQ(store.FetchSetting(kRun, kRunValue), SettingValue(kStart));
    form.Form_Activate();
    EXPECT_EQ(view.shown.startupNote, "");
    form.EditCheck(OptionsField::StartWithWindows, 0);
    form.cmdOK_Click();
    EXPECT_EQ(registry.Get(kRun, kRunValue), nullptr);

    EXPECT_EQ(CommandProgram("  \"C:\\A B\\w.exe\"x"), "C:\\A B\\w.exe");
    EXPECT_EQ(CommandProgram("w.exe --log x"), "w.exe");
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
        std::optional<std::string> stored;
        std::size_t shows;                  // the entry of the list
        std::optional<std::string> chosen;  // what the player picks
        std::vector<std::string> switched;
    } const cases[] = {
        {std::nullopt, 0, std::nullopt, {}}, {"de", 2, std::nullopt, {}},   {"DE", 2, std::nullopt, {}},
        {"xx", 0, std::nullopt, {}},         {"qps-ploc", 0, std::nullopt, {}},  // not offered
        {"de-AT", 2, std::nullopt, {}},      {"fr_ca", 6, std::nullopt, {}},
        {std::nullopt, 0, "ru", {"ru"}},     {"pl", 4, "", {""}},            {"fr", 6, "fr", {}},
    };
    for (const Case& c : cases) {
        MemoryRegistry reg;
        mdRegistry st{reg};
        FakeOptionsView v;
        RecordingLanguages languages;
        frmOptions f{st, v, msgBox, kStart};
        f.SetLanguage(nullptr, &languages);
        st.EnsureKey(kKey, kHKeyCurrentUser);
        st.StoreSetting(kKey, "Players", std::int32_t{4}, kRegDword);
        if (c.stored) st.StoreSetting(kKey, "Language", *c.stored, kRegSz);
        const std::string label = c.stored.value_or("absent") + " to " + c.chosen.value_or("as it is");
        f.Show();
        EXPECT_EQ(LanguageChoiceIndex(choices, v.shown.Text(OptionsField::Language)), c.shows) << label;
        if (c.chosen) f.EditText(OptionsField::Language, *c.chosen);
        f.cmdOK_Click();
        EXPECT_EQ(languages.used, c.switched) << label;
        // An unknown code is kept as it is: the list did not change it.
        EXPECT_EQ(st.FetchSetting(kKey, "Language"), SettingValue(c.chosen.value_or(c.stored.value_or("")))) << label;
        EXPECT_EQ(reg.Get(kKey, "Language")->type, kRegSz) << label;
        EXPECT_EQ(st.FetchSetting(kKey, "Players"), SettingValue(std::int32_t{4})) << label;
    }
}

// The messages and the file pickers' filters come from the catalogue, in
// the language shown; Test takes the sound and the threshold in the dialog,
// saved or not, and says in one message what the monitor found.
TEST_F(OptionsFixture, MessagesSpeakTheLanguageShownAndTestSaysWhatItFound) {
    const InvariantFormat format;
    const Texts pseudo(format, *FindLanguage("qps-ploc"));
    form.SetLanguage(&pseudo, nullptr);
    form.Show();
    Type("x", "many");
    form.cmdOK_Click();
    form.btnAlarmDlg_Click();
    ASSERT_EQ(msgBox.shown.size(), 1u);
    EXPECT_EQ(msgBox.shown[0].title, pseudo(Message(Msg::OptionsTitle)));
    EXPECT_EQ(msgBox.shown[0].text, pseudo(Message(Msg::OptionsNotANumber, pseudo(Message(Msg::OptionsFieldMinutes)),
                                                   std::string("x"), INT32_MIN, INT32_MAX)));
    EXPECT_EQ(view.picks.at(0).filter,
              pseudo(Message(Msg::OptionsAllFiles)) + "|*.*|" + pseudo(Message(Msg::OptionsWaveFiles)) + "|*.wav");

    form.SetLanguage(nullptr, nullptr);
    form.EditText(OptionsField::Sound, "C:\\x.wav");
    monitor.findings = {Message(Msg::OptionsTestNoFile, std::string("C:\\x.wav")),
                        Message(Msg::NotifyHeldBack, Message(Msg::NotifyHeldBusy))};
    form.btnTest_Click();
    Type("5", "7");
    monitor.findings.clear();
    form.btnTest_Click();  // nothing to tell
    EXPECT_EQ(monitor.tests, (std::vector<std::pair<std::string, std::int32_t>>{{"C:\\x.wav", 2}, {"C:\\x.wav", 7}}));
    ASSERT_EQ(msgBox.shown.size(), 2u);
    EXPECT_EQ(msgBox.shown[1].text,
              "C:\\x.wav: no such file\r\n\r\nWindows held the notification back: a full-screen program is running; "
              "the sound played and the icon flashes");
    EXPECT_EQ(registry.ValueCount(), 0u) << "Test saves nothing";
}

// The English window keeps its places: the controls of old where they were,
// Test beside the alarm sound's "...", the language under the check boxes.
TEST(OptionsLayoutTest, CaptionsThatFitKeepTheDesign) {
    const OptionsLayout design = OptionsDesign();
    const OptionsLayout fitted = LayOutOptions([](const OptionsPiece& p) {
        return p.id == IDC_LABEL0 ? p.box.width : p.box.width / 2;  // a label as wide as its box, the others half
    });
    ASSERT_EQ(fitted.pieces.size(), design.pieces.size());
    // But the design's boxes that reach under the next of their row end where it begins.
    const std::pair<int, int> shortened[] = {{IDC_LABEL2, 2880 - 2040}, {IDC_SOUND, 4800 - 1320}, {IDC_ZALMO, 4800 - 1320}};
    for (std::size_t i = 0; i < design.pieces.size(); ++i) {
        TwipBox expected = design.pieces[i].box;
        for (const auto& [id, width] : shortened)
            if (design.pieces[i].id == id) expected.width = width;
        EXPECT_EQ(fitted.pieces[i].box, expected) << design.pieces[i].id;
    }
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
    // In tab order, Test follows "..." and the language list its label.
    EXPECT_EQ(design.Find(IDC_TEST) - design.Find(IDC_ALARMDLG), 1);
    EXPECT_EQ(design.Find(IDC_LANGUAGE) - design.Find(IDC_LABEL5), 1);
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
            // A label keeps a gap before the next of its row.
            const int gap = p.kind == PieceKind::Label || p.kind == PieceKind::WrappedLabel ? 90 : 0;
            if (i + 1 < grown.pieces.size() && grown.pieces[i + 1].row == p.row) {
                EXPECT_LE(p.box.left + need + gap, grown.pieces[i + 1].box.left)
                    << p.id << " runs into the next " << factor;
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
        EXPECT_EQ(moved.Find(id)->box.left, design.Find(id)->box.left + 2000 + 90 - (1320 - 105)) << id;
    EXPECT_EQ(moved.width, design.width + 2000 + 90 - (1320 - 105));
}

// A note of more lines than its box holds grows as tall as it needs at the
// width it has, and moves the rows below it down, the window with them; a
// note that fits changes nothing.
TEST(OptionsLayoutTest, ANoteOfMoreLinesMovesTheRowsBelowItDown) {
    const OptionsLayout design = OptionsDesign();
    const auto none = [](const OptionsPiece&) { return 0; };
    for (const int needs : {100, 1000}) {
        int askedWidth = 0;
        const OptionsLayout laid = LayOutOptions(none, [&](const OptionsPiece& p, int width) {
            askedWidth = width;
            return p.kind == PieceKind::Note ? needs : 5000;
        });
        const TwipBox& note = laid.Find(IDC_STARTUP_NOTE)->box;
        EXPECT_EQ(askedWidth, note.width) << "asked at another width than it has";
        const int down = std::max(0, needs - design.Find(IDC_STARTUP_NOTE)->box.height);
        EXPECT_EQ(note.height, design.Find(IDC_STARTUP_NOTE)->box.height + down);
        for (int id : {IDC_INWINDOW, IDC_STARTUP, IDC_STARTUP_NOTE})
            EXPECT_EQ(laid.Find(id)->box.top, design.Find(id)->box.top) << id;
        for (int id : {IDC_LABEL5, IDC_LANGUAGE, IDC_OPTIONS_OK, IDC_OPTIONS_CANCEL})
            EXPECT_EQ(laid.Find(id)->box.top, design.Find(id)->box.top + down) << id;
        EXPECT_EQ(laid.height, design.height + down);
    }
}

}  // namespace
