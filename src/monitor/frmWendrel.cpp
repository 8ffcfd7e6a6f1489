#include "monitor/frmWendrel.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/GetFolder.h"
#include "common/ScopeExit.h"
#include "common/Text.h"
#include "missions/MissionSorter.h"
#include "monitor/AlarmChecks.h"
#include "status/Scanner.h"
#include "text/Common.h"

namespace {

// How long Options' Test flashes the icon, in ticks.
constexpr int kTestFlashes = 6;

// "45 s" up to two minutes, then whole minutes: "4 min", "1 h 5 min".
constexpr DurationFormat kNextTry{120, false, true};

}  // namespace

frmWendrel::frmWendrel(MonitorDeps deps) : deps_(std::move(deps)) {}

void frmWendrel::ApplySettings(const MonitorSettings& settings) {
    minutes = settings.minutes;
    if (Remind != settings.remind) busySoon_.Forget();
    AlarmOn = settings.alarmOn;
    Sound = settings.sound;
    Notify = settings.notify;
    Remind = settings.remind;
}

void frmWendrel::Form_Initialize() {
    // No alarm can be raised before the settings are taken over.
    if (AlarmOn == 0) AlarmOn = kParkedAlarmOn;
    deps_.view.HideFromTaskList();
}

void frmWendrel::Form_Load() {
    // However start-up ends, the timer runs, so the program goes on watching.
    const ScopeExit startTimer([this] {
        if (!deps_.app.Quitting) deps_.view.SetTimerEnabled(true);
    });
    // A stored number that is not a whole number falls back to its default.
    std::vector<std::string> fallbacks;
    ApplySettings(deps_.options.ForMonitor(&fallbacks));
    for (const std::string& fallback : fallbacks) Log("start: " + fallback);
    FillTrayData(TrayIconKind::Normal);
    deps_.tray.NotifyIcon(TrayMessage::Add, TrayData);
    deps_.view.HideWindow();
    deps_.view.HideFromTaskList();
    Log("start: every " + std::to_string(minutes) + " min, alarm at " + PlayersText(AlarmOn) + ", sound \"" + Sound +
        "\", status page " + deps_.source.shown);
    if (deps_.history) deps_.history->Load(deps_.clock.UtcNow());
    SecondCount = kStartCount;
    Timer1_Timer();
}

void frmWendrel::Timer1_Timer() {
    deps_.view.SetTimerEnabled(false);
    // The timer runs again when the tick ends, also when something in it
    // failed, unless the program is ending.
    const ScopeExit restart([this] {
        if (!deps_.app.Quitting) deps_.view.SetTimerEnabled(true);
    });
    ++SecondCount;
    wake_.Tick();
    // While a rescan started with the button still waits for the page, the
    // timer's rescan waits for the next tick after it (the count stays).
    if (retry_.Due(SecondCount, IntervalSeconds()) && !rescanRunning_) {
        retry_.CheckStarted();
        SecondCount = 0;
        Rescan(true);
        if (deps_.app.Quitting) return;
        DecideAlarm();
    }
    if (AlarmActive || testFlashes_ > 0) {
        if (HighIconShown) {
            BackToNormalIcon();
        } else {
            ShowHighIcon();
            HighIconShown = true;
        }
    } else if (HighIconShown) {
        BackToNormalIcon();
    }
    if (testFlashes_ > 0) --testFlashes_;
    RemindBeforeBusy();
}

void frmWendrel::RemindBeforeBusy() {
    // An alarm that is on says more than a reminder.
    if (!Remind || !deps_.history || AlarmActive) return;
    const std::int64_t now = deps_.clock.UtcNow();
    const auto span = busySoon_.Due(deps_.history->Records(), now, deps_.clock, AlarmOn);
    if (!span) return;
    const UtcOffset offset = [this](std::int64_t utc) { return deps_.clock.UtcOffsetMinutes(utc); };
    ShowNotice(Message(Msg::NotifyRemindTitle), BusySoonReminder(*span, AlarmOn, now, offset), true);
}

void frmWendrel::DecideAlarm() {
    const std::int64_t now = deps_.clock.UtcNow();
    // A failed check counts no one, whatever the threshold (0 or below too):
    // it ends the alarm and never raises one.
    if (PlayerTotal < AlarmOn || lastFailure_) {
        if (AlarmActive)
            Log(lastFailure_ ? std::string("alarm off: the check failed")
                             : "alarm off: " + PlayersText(PlayerTotal) + ", alarm at " + PlayersText(AlarmOn));
        // A failed check says nothing about the players: only a count below
        // the threshold ends the alarm for good.
        if (!lastFailure_) lastReached_.reset();
        AlarmActive = false;
        ShowNormalIcon();
        return;
    }
    deps_.sound.Play(Sound, kSndFilenameNoDefaultAsync);
    const bool resumed = !AlarmActive && ContinuesLastAlarm(now);
    Log(std::string(AlarmActive ? "alarm again: " : "alarm on: ") + PlayersText(PlayerTotal) + ", alarm at " +
        PlayersText(AlarmOn) + ", sound \"" + Sound + "\"" + (resumed ? ", the same alarm as before the gap" : ""));
    // Once per alarm: the icon may sit in the tray's hidden overflow.
    if (!AlarmActive && Notify && !resumed) {
        if (auto held = ShowAlarmNotification(PlayerTotal, AlarmOn, !Sound.empty())) {
            statusNotes_.emplace_back(*held);
            ShowStatus();
        }
    }
    AlarmActive = true;
    lastReached_ = now;
}

bool frmWendrel::ContinuesLastAlarm(std::int64_t now) const {
    return lastReached_ && now >= *lastReached_ && now - *lastReached_ <= 2 * IntervalSeconds();
}

void frmWendrel::btnRescan_Click() { Rescan(false); }

void frmWendrel::Rescan(bool timerDriven) {
    if (rescanRunning_) return;
    deps_.view.SetRescanEnabled(false);
    rescanRunning_ = true;
    // Whatever fails below, the next rescan can run; the button comes back
    // unless the program is ending.
    const ScopeExit done([this] {
        rescanRunning_ = false;
        if (!deps_.app.Quitting) deps_.view.SetRescanEnabled(true);
    });
    Scanner scanner(deps_.source, deps_.app);
    scanner.ScanServers(deps_.Inet1);
    if (deps_.app.Quitting) {
        // Exit or Launch was chosen while the page was on its way.
        deps_.view.SetTimerEnabled(false);
        UnloadMainForm();
        return;
    }
    deps_.view.ClearRows();
    const auto& servers = scanner.Servers();
    for (const auto& site : servers->sites()) deps_.view.AddRow(site->Name, site->PlayerCount);
    PlayerTotal = servers->TotalPlayers();

    lastScanAt_ = deps_.clock.Now();
    lastFailure_ = scanner.Failure();
    const std::string failure = scanner.FailureReason();
    if (timerDriven && !lastFailure_) retry_.CheckWorked();
    if (timerDriven && lastFailure_) retry_.CheckFailed(scanner.AsksToWait());
    if (!timerDriven && scanner.AsksToWait()) retry_.AskedToWait(SecondCount, *scanner.AsksToWait());
    status_ = StatusLine(false);
    statusNotes_.clear();
    Log("scan " + deps_.source.shown + (failure.empty() ? ": " : " failed: " + failure + "; ") +
        PlayersText(PlayerTotal) + (timerDriven && retry_.Retrying() ? "; retry in " + InEnglish(NextTry()) : ""));
    RecordScan(lastFailure_ ? std::nullopt : std::optional<std::int32_t>(PlayerTotal));
    ShowStatus();
}

void frmWendrel::ShowStatus() {
    if (!status_) return;
    std::string line = Say()(*status_);
    for (const Arg& note : statusNotes_) line += "\r\n" + Say().Value(note);
    deps_.view.SetStatusLine(line);
}

void frmWendrel::Retranslate() {
    deps_.view.Retranslate();
    ShowStatus();
    if (deps_.historyView) deps_.historyView->Update();
}

Message frmWendrel::NextTry() const {
    const std::int64_t seconds = std::max<std::int64_t>(1, retry_.SecondsToNextCheck(SecondCount, IntervalSeconds()));
    return DurationMessage(std::chrono::seconds(seconds), kNextTry);
}

Message frmWendrel::StatusLine(bool beforeSleep) const {
    const TimeOfDay at{lastScanAt_->hour, lastScanAt_->minute, lastScanAt_->second};
    if (!lastFailure_)
        return Message(beforeSleep ? Msg::StatusScannedBeforeSleep : Msg::StatusScanned, at, Players(PlayerTotal));
    if (beforeSleep) return Message(Msg::StatusFailedBeforeSleep, at, *lastFailure_);
    if (retry_.Retrying()) return Message(Msg::StatusFailedRetry, at, *lastFailure_, NextTry());
    return Message(Msg::StatusFailed, at, *lastFailure_);
}

std::optional<Message> frmWendrel::ShowAlarmNotification(std::int32_t players, std::int32_t threshold, bool sound) {
    const auto held = ShowNotice(Message(Msg::NotifyAlarmTitle, Players(players)),
                                 Message(Msg::NotifyAlarmText, Players(threshold)), false);
    if (!held) return std::nullopt;
    Message said(sound ? Msg::NotifyHeldBack : Msg::NotifyHeldBackSilent, *held);
    Log(InEnglish(said));
    return said;
}

std::optional<Message> frmWendrel::ShowNotice(const Message& title, const Message& text, bool reminder) {
    TrayNotification notification;
    notification.hWnd = deps_.view.TrayWindowHandle();
    notification.uID = 1;
    notification.title = Say()(title);
    notification.text = Say()(text);
    // The alarm was asked for; a reminder was not, and waits out the user's quiet time.
    notification.respectQuietTime = reminder;
    deps_.tray.ShowNotification(notification);
    reminderShownLast_ = reminder;
    Log((reminder ? "reminder: " : "notification: ") + InEnglish(reminder ? text : title));
    auto held = HeldBackReason(deps_.tray.QueryNotificationState(), reminder);
    if (held && reminder) Log("reminder: Windows held it back: " + InEnglish(*held));
    return held;
}

std::vector<Message> frmWendrel::TestAlarm(const std::string& sound, std::int32_t threshold) {
    Log("test: sound \"" + sound + "\", alarm at " + PlayersText(threshold));
    std::vector<Message> findings;
    const auto problem = AlarmSoundProblem(sound, deps_.sound);
    if (problem) {
        Log("test: " + InEnglish(*problem));
        findings.push_back(*problem);
    }
    deps_.sound.Play(sound, kSndFilenameNoDefaultAsync);
    if (auto held = ShowAlarmNotification(threshold, threshold, !problem)) findings.push_back(*held);
    testFlashes_ = kTestFlashes;
    return findings;
}

void frmWendrel::RecordScan(std::optional<std::int32_t> players) {
    if (!deps_.history) return;
    const bool recorded = deps_.history->Add(deps_.clock.UtcNow(), players);
    // Each said once: the scan and the alarm go on without the history.
    for (const Message& notice : deps_.history->TakeNotices()) {
        statusNotes_.emplace_back(notice);
        Log("history: " + InEnglish(notice));
    }
    // An open History window works its figures out again only for a new record.
    if (!recorded) return;
    busySoon_.Forget();
    if (deps_.historyView) deps_.historyView->Update();
}

void frmWendrel::btnHistory_Click() {
    if (deps_.historyView) deps_.historyView->Show();
}

void frmWendrel::FillTrayIdentity() {
    TrayData.cbSize = kTrayRecordSize;
    TrayData.hWnd = deps_.view.TrayWindowHandle();
    TrayData.uID = 1;
}

void frmWendrel::FillTrayData(TrayIconKind icon) {
    FillTrayIdentity();
    TrayData.uFlags = kNifMessage | kNifIcon | kNifTip;
    TrayData.uCallbackMessage = kWmMouseMove;
    TrayData.hIcon = deps_.view.IconHandle(icon);
    // "Wendrel", its terminator, then blanks to the end of the field.
    std::memset(TrayData.szTip, ' ', sizeof TrayData.szTip);
    std::memcpy(TrayData.szTip, "Wendrel", 8);
}

void frmWendrel::ShowIcon(TrayIconKind icon) {
    FillTrayData(icon);
    deps_.tray.NotifyIcon(TrayMessage::Modify, TrayData);
}

void frmWendrel::ShowNormalIcon() { ShowIcon(TrayIconKind::Normal); }

void frmWendrel::ShowHighIcon() { ShowIcon(TrayIconKind::High); }

void frmWendrel::BackToNormalIcon() {
    ShowNormalIcon();
    HighIconShown = false;
}

void frmWendrel::tiFB_MouseMove(std::int32_t mouseMessage) {
    if (busy_) return;
    busy_ = true;
    const ScopeExit done([this] { busy_ = false; });
    if (mouseMessage == kNinBalloonUserClick && reminderShownLast_) {
        btnHistory_Click();
    } else if (mouseMessage == kWmLButtonDblClk || mouseMessage == kNinBalloonUserClick) {
        deps_.view.ShowNormal();
    } else if (mouseMessage == kWmRButtonUp) {
        switch (deps_.view.ShowPopupMenu()) {
            case MenuCommand::Launch: mnuLaunch_Click(); break;
            case MenuCommand::Status: mnuStatus_Click(); break;
            case MenuCommand::Options: mnuOptions_Click(); break;
            case MenuCommand::About: mnuAbout_Click(); break;
            case MenuCommand::Quit: mnuQuit_Click(); break;
            case MenuCommand::None: break;
        }
    }
}

void frmWendrel::btnHide_Click() { deps_.view.HideWindow(); }

void frmWendrel::mnuStatus_Click() { deps_.view.ShowWindow(); }

bool frmWendrel::Form_QueryUnload() {
    if (!deps_.app.Quitting) {
        deps_.view.HideWindow();
        return true;
    }
    FillTrayIdentity();
    deps_.tray.NotifyIcon(TrayMessage::Delete, TrayData);
    return false;
}

void frmWendrel::OnTaskbarCreated() {
    // Explorer restarted and forgot the icon: add it again as it is now.
    FillTrayData(HighIconShown ? TrayIconKind::High : TrayIconKind::Normal);
    deps_.tray.NotifyIcon(TrayMessage::Add, TrayData);
}

void frmWendrel::RefreshTrayIcon() { ShowIcon(HighIconShown ? TrayIconKind::High : TrayIconKind::Normal); }

void frmWendrel::OnSuspend() {
    wake_.Suspended();
    Log("suspend");
    // The history shows the sleep as a time Wendrel was not watching.
    if (deps_.history && deps_.history->MarkStopped(deps_.clock.UtcNow()) && deps_.historyView)
        deps_.historyView->Update();
}

void frmWendrel::OnResume() {
    if (!wake_.Resumed()) return;
    Log("resume: " +
        (!lastScanAt_
             ? std::string("no scan yet")
             : "the last scan, " + InvariantFormat().Time(lastScanAt_->hour, lastScanAt_->minute, lastScanAt_->second) +
                   ", is from before the sleep") +
        "; checking now" + (AlarmActive ? "; the alarm stops" : ""));
    if (lastScanAt_) {
        status_ = StatusLine(true);
        statusNotes_.clear();
        ShowStatus();
    }
    // What was found before the sleep raises no alarm now.
    AlarmActive = false;
    testFlashes_ = 0;
    if (HighIconShown) BackToNormalIcon();
    retry_.Woke();
}

void frmWendrel::OnNetworkChange() {
    if (retry_.NetworkNotice()) Log("network: a new address after a failed check; checking now");
}

void frmWendrel::ForgetTimeRules(const std::string& why) {
    Log("clock: " + why + "; the time zone and calendar are read again");
    deps_.clock.Refresh();
    busySoon_.Forget();
    if (deps_.historyView) deps_.historyView->Update();
}

void frmWendrel::OnTimeChange() { ForgetTimeRules("the time was set"); }

void frmWendrel::OnSettingChange(const std::string& area) {
    // "intl": the regional settings, the first day of the week among them.
    if (area == "intl") ForgetTimeRules("the regional settings changed");
    if (area == "TimeZone") ForgetTimeRules("the time zone changed");
}

void frmWendrel::UnloadMainForm() {
    if (unloaded_ || Form_QueryUnload()) return;
    unloaded_ = true;
    deps_.view.Destroy();
}

void frmWendrel::EndAfterQuitting() {
    deps_.view.UnloadHighIcon();
    deps_.options.Unload();
    UnloadMainForm();
    deps_.view.EndProgram();
}

void frmWendrel::Exit(const std::string& logLine) {
    Log(logLine);
    if (deps_.history) deps_.history->MarkStopped(deps_.clock.UtcNow());
    deps_.app.Quitting = true;
    deps_.view.SetTimerEnabled(false);
    EndAfterQuitting();
}

void frmWendrel::mnuQuit_Click() { Exit("exit"); }

void frmWendrel::EndOnRequest(const std::string& by) { Exit("exit: " + by); }

bool frmWendrel::ChangeToLobbyFolder(const std::string& path, std::string& error) {
    if (path.size() >= 2 && path[1] == ':' && !deps_.launcher.ChangeDrive(path.substr(0, 2), error)) return false;
    return deps_.launcher.ChangeDirectory(GetFolder(path), error);
}

void frmWendrel::ReportLaunchFailure(const std::string& path, const Message& what, const std::string& error,
                                     const std::string& savedFolder) {
    std::string ignored;
    deps_.launcher.ChangeDirectory(savedFolder, ignored);
    Log("launch failed: " + InEnglish(what) + ": " + error);
    deps_.msgBox.Show(Say()(Message(Msg::LaunchFailed, path, what, error)), Say()(Title()), kMbIconExclamation);
}

void frmWendrel::mnuLaunch_Click() {
    // The path is checked and the launch tried before anything ends: a
    // launch that cannot happen leaves the program running.
    const std::string path = deps_.options.txtZalmo();
    if (path.size() < 3) {
        deps_.msgBox.Show(Say()(Message(Msg::LaunchNoPath)), Say()(Title()), kMbIconExclamation);
        return;
    }
    const std::string commandLine = deps_.options.ckInWindow() != 0 ? path + " " : path;
    // A relative path is made full once, against the current folder, before
    // that folder changes; the command line keeps the path as entered.
    const std::string program = deps_.launcher.FullPath(path);
    const std::string savedFolder = deps_.launcher.CurrentDirectory();
    std::string error;
    if (!ChangeToLobbyFolder(program, error))
        return ReportLaunchFailure(path, Message(Msg::LaunchFolderFailed), error, savedFolder);
    if (!deps_.launcher.Start(program, commandLine, error))
        return ReportLaunchFailure(path, Message(Msg::LaunchStartFailed), error, savedFolder);
    Exit("launch: " + commandLine);
}

void frmWendrel::mnuOptions_Click() { deps_.options.Show(); }

void frmWendrel::mnuAbout_Click() {
    deps_.msgBox.Show(Say()(Message(Msg::AboutText, Say()(Title()), std::string(kMakerAddress))), kMakerName,
                      kMbIconInformation);
}

void frmWendrel::btnSort_Click() {
    MissionSorter sorter(deps_.missionFiles);
    const SortReport report = sorter.Run(deps_.options.txtZalmo());
    Log("sort missions: " + std::to_string(report.failures.size()) + " failed, " +
        std::to_string(report.restored.size()) + " put back");
    if (!report.empty())
        deps_.msgBox.Show(Render(DescribeSortReport(report), Say()), Say()(Message(Msg::SortTitle)),
                          report.failures.empty() ? kMbIconInformation : kMbIconExclamation);
}

Message frmWendrel::Title() { return Message(Msg::MainTitle, std::string(WENDREL_VERSION)); }

void frmWendrel::Log(const std::string& line) {
    if (deps_.log) deps_.log->Write(line);
}
