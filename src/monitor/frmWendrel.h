#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/AppState.h"
#include "common/Names.h"
#include "common/Version.h"
#include "history/HistoryFigures.h"
#include "history/PlayerHistory.h"
#include "monitor/BusySoon.h"
#include "monitor/RetrySchedule.h"
#include "monitor/WakeNotices.h"
#include "platform/Clock.h"
#include "platform/EventLog.h"
#include "platform/HistoryView.h"
#include "platform/InetTransfer.h"
#include "platform/MainView.h"
#include "platform/MissionFiles.h"
#include "platform/MsgBox.h"
#include "platform/ProcessLauncher.h"
#include "platform/SoundPlayer.h"
#include "platform/Tray.h"
#include "settings/frmOptions.h"
#include "status/StatusSource.h"
#include "text/Texts.h"

// What the main form works with, handed in by the program's start.
struct MonitorDeps {
    AppState& app;
    frmOptions& options;
    MainView& view;
    Tray& tray;
    SoundPlayer& sound;
    ProcessLauncher& launcher;
    MsgBox& msgBox;
    MissionFiles& missionFiles;
    InetTransfer& Inet1;
    Clock& clock;
    EventLog* log = nullptr;  // optional
    StatusSource source;
    PlayerHistory* history = nullptr;    // optional: where each scan is recorded
    HistoryView* historyView = nullptr;  // optional: the History window
    const Texts* texts = nullptr;        // the player's language; English when none
};

// The main form: the monitor's state and tick, the tray icon, the tray's
// clicks and the user's commands.
class frmWendrel : public MonitorSettingsSink {
public:
    // The main window's caption, "Wendrel V1.4", and the message boxes'.
    static Message Title();
    static constexpr const char* kMakerAddress = "http://www.orvane.example";
    static constexpr const char* kMakerName = WENDREL_PUBLISHER;
    static constexpr std::int32_t kParkedAlarmOn = 99999;
    static constexpr std::int32_t kStartCount = 5940;  // 99 minutes of ticks

    explicit frmWendrel(MonitorDeps deps);

    // Public settings, written by start-up and by the Options dialog's OK.
    std::int32_t minutes = 0;
    std::int32_t AlarmOn = 0;
    std::string Sound;
    bool Notify = false;  // a notification when the alarm goes on
    bool Remind = false;  // a notification before the lobby usually gets busy

    void ApplySettings(const MonitorSettings& settings) override;
    std::vector<Message> TestAlarm(const std::string& sound, std::int32_t threshold) override;
    // The language changed: the windows and the status line say it all again.
    void Retranslate();

    // Start-up.
    void Form_Initialize();
    void Form_Load();

    // The monitor cycle.
    void Timer1_Timer();
    void btnRescan_Click();
    void ShowNormalIcon();
    void ShowHighIcon();

    // The tray and the window.
    void tiFB_MouseMove(std::int32_t mouseMessage);
    void btnHide_Click();
    void mnuStatus_Click();
    // Returns true to cancel the close (the window is hidden instead).
    bool Form_QueryUnload();
    void OnTaskbarCreated();
    // The icon's pictures were loaded again (another size): the tray shows them.
    void RefreshTrayIcon();

    // The desktop's notices.
    void OnSuspend();        // the computer goes to sleep
    void OnResume();         // it woke: the result shown is old, a check runs as soon as the network answers
    void OnNetworkChange();  // Windows reports a new address: the network may be back
    void OnTimeChange();     // the clock was set
    // A setting changed; area is what the notice names ("intl", "TimeZone", ...).
    void OnSettingChange(const std::string& area);

    // The commands.
    void mnuLaunch_Click();
    // The "Start Quellan" button: it launches the lobby client, whatever its name says.
    void btnAbout_Click() { mnuLaunch_Click(); }
    void mnuOptions_Click();
    void btnOptions_Click() { mnuOptions_Click(); }
    void mnuAbout_Click();
    void mnuQuit_Click();
    // A close request from outside (taskkill, an installer) or the end of the
    // Windows session: the program ends as Exit ends it. by says who asked.
    void EndOnRequest(const std::string& by);
    void btnSort_Click();
    void btnHistory_Click();

    // The player's language, for what the form and its windows say.
    const Texts& Say() const { return deps_.texts ? *deps_.texts : EnglishTexts(); }

private:
    void Rescan(bool timerDriven);
    void DecideAlarm();
    std::int64_t IntervalSeconds() const { return std::int64_t{minutes} * 60; }
    bool ContinuesLastAlarm(std::int64_t now) const;
    Message StatusLine(bool beforeSleep) const;
    Message NextTry() const;  // "15 s": how long until the next timer-driven check
    void ForgetTimeRules(const std::string& why);
    // The alarm's notification; what to tell when Windows held it back.
    std::optional<Message> ShowAlarmNotification(std::int32_t players, std::int32_t threshold, bool sound);
    void RemindBeforeBusy();
    // Shows it; why Windows held it back, if it did.
    std::optional<Message> ShowNotice(const Message& title, const Message& text, bool reminder);
    void RecordScan(std::optional<std::int32_t> players);
    void ShowStatus();
    void FillTrayIdentity();
    void FillTrayData(TrayIconKind icon);
    void ShowIcon(TrayIconKind icon);
    void BackToNormalIcon();  // the alarm icon gives way to the normal one
    void Exit(const std::string& logLine);
    void UnloadMainForm();
    void EndAfterQuitting();
    bool ChangeToLobbyFolder(const std::string& path, std::string& error);
    void ReportLaunchFailure(const std::string& path, const Message& what, const std::string& error,
                             const std::string& savedFolder);
    void Log(const std::string& line);

    MonitorDeps deps_;
    std::int32_t PlayerTotal = 0;
    std::int64_t SecondCount = 0;  // 64-bit: very long intervals count past 32 bits
    bool HighIconShown = false;
    bool AlarmActive = false;
    TrayRecord TrayData;
    bool busy_ = false;           // a tray action is running
    bool rescanRunning_ = false;  // a scan is waiting for the page
    bool unloaded_ = false;

    RetrySchedule retry_;  // when the next timer-driven check comes
    // The last timer-driven check that reached the threshold, as long as no
    // check since found fewer players: an alarm again soon after is the same one.
    std::optional<std::int64_t> lastReached_;
    // The last scan, for the status line.
    std::optional<LocalTime> lastScanAt_;  // none before the first
    std::optional<Arg> lastFailure_;       // none when it read a count
    // The status line: what it says and the notes under it, kept to be said
    // again in another language.
    std::optional<Message> status_;
    std::vector<Arg> statusNotes_;
    int testFlashes_ = 0;  // ticks that Options' Test still flashes the icon
    BusySoon busySoon_;         // when to remind the player before the lobby usually gets busy
    // What the last notification was: Windows tells a click on it by the
    // icon alone, and a reminder's click shows the history.
    bool reminderShownLast_ = false;
    WakeNotices wake_;  // which resume notices are wakes
};
