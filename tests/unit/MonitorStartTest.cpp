// Start-up and the stored settings it reads.
#include "MonitorFixture.h"

#include <algorithm>
#include <string_view>

#include "settings/Settings.h"

namespace {

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
    EXPECT_EQ(record.cbSize, kTrayRecordSize);
    EXPECT_EQ(record.hWnd, FakeMainView::kTrayWindow);
    EXPECT_EQ(record.uID, 1u);
    EXPECT_EQ(record.uFlags, kNifMessage | kNifIcon | kNifTip);
    EXPECT_EQ(record.uCallbackMessage, kWmMouseMove);
    EXPECT_EQ(record.hIcon, FakeMainView::kNormalIcon);
    EXPECT_EQ(std::string(record.szTip, sizeof record.szTip), std::string("Wendrel") + '\0' + std::string(56, ' '));
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
        StartedForm f{Deps("http://h")};
        const int laterTicks = interval <= 99 ? 0 : interval * 60 - 5941;
        EXPECT_EQ(inet.requests.size(), interval <= 99 ? 1u : 0u) << interval;
        for (int i = 0; i < laterTicks - 1; ++i) f.Timer1_Timer();
        EXPECT_EQ(inet.requests.size(), interval <= 99 ? 1u : 0u) << interval;
        f.Timer1_Timer();
        EXPECT_EQ(inet.requests.size(), 1u) << interval;
    }
}

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
        {"DWORD of 0", kRegDword, {}},
        {"DWORD of 2", kRegDword, {5, 0}},
        {"DWORD of 8", kRegDword, {5, 0, 0, 0, 0, 0, 0, 0}},
        {"big-endian", 5, {0, 0, 0, 5}},
        {"link", 6, {'x', 0}},
        {"multi", 7, {'a', 0, 0}},
        {"QWORD", 11, {1, 0, 0, 0, 0, 0, 0, 0}},
        {"empty REG_SZ", kRegSz, {}},
    };
    const std::pair<const char*, std::string> defaults[] = {{"CheckInterval", "5"},
                                                            {"Players", "2"},
                                                            {"AlarmSound", "Flyover.wav"},
                                                            {"ZalmoPath", "C:\\Program Files\\QuellanPro3\\qlpro.exe"},
                                                            {"InWindow", "1"}};
    for (const auto& [name, fallback] : defaults) {
        for (const Kind& kind : kinds) {
            FakeWorld w;
            w.registry.Put(Settings::kKeyPath, name, kind.type, kind.bytes);
            StartedForm form{w.Deps("http://h")};
            const OptionsControls& shown = w.optionsView.shown;
            const auto row = std::find_if(std::begin(kOptionsFields), std::end(kOptionsFields), [&](const auto& r) {
                return r.stored && std::string_view(r.stored->name) == name;
            });
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
