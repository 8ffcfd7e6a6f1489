#pragma once

#include <gtest/gtest.h>

#include "FakeMonitor.h"
#include "settings/Settings.h"

// The main form over a faked world, with the helpers its tests share. It
// stays outside an unnamed namespace: the test files that share it must see
// one fixture class.
struct MonitorFixture : ::testing::Test, FakeWorld {
    static constexpr const char* kKey = Settings::kKeyPath;

    frmWendrel form{Deps()};

    void SetUp() override {
        options.SetMonitor(&form);
        Players(0);
    }

    static constexpr int kDown = -1;  // the page cannot be fetched

    void Players(int count) {
        if (count == kDown)
            inet.Fail(NoAnswer());
        else
            inet.ServePage(StatusPage(std::to_string(count)));
    }

    void Store(const char* name, SettingValue value, std::uint32_t type) {
        store.EnsureKey(kKey, kHKeyCurrentUser);
        store.StoreSetting(kKey, name, value, static_cast<std::int32_t>(type));
    }

    void Start() {
        form.Form_Initialize();
        form.Form_Load();
    }

    // Each tick is a second on the clock.
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) {
            ASSERT_TRUE(view.timerEnabled) << "the timer must be running before tick " << i;
            ++clock.utc;
            form.Timer1_Timer();
        }
    }

    // The icons the tray shows over n ticks: H the alarm's, N the normal one.
    std::string IconsOver(int n) {
        tray.Clear();
        Ticks(n);
        return tray.IconSteps();
    }

    // Ticks until the next timer-driven check has been made; how many.
    int TicksToCheck() {
        const std::size_t before = inet.requests.size();
        int n = 0;
        while (inet.requests.size() == before && n < 100000 && !HasFatalFailure()) {
            Ticks(1);
            ++n;
        }
        return n;
    }
};
