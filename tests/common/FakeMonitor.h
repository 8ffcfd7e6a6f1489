#pragma once

#include <deque>
#include <functional>
#include <map>
#include <new>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "FakeInet.h"
#include "FakeViews.h"
#include "MemoryRegistry.h"
#include "common/SoundPath.h"
#include "monitor/frmWendrel.h"
#include "platform/Clock.h"
#include "platform/EventLog.h"
#include "platform/HistoryView.h"
#include "platform/MainView.h"
#include "platform/ProcessLauncher.h"
#include "platform/SoundPlayer.h"
#include "platform/Tray.h"

class FakeMainView : public MainView {
public:
    static constexpr std::uintptr_t kTrayWindow = 0x1234, kNormalIcon = 0x11, kHighIcon = 0x22;

    bool visible = true, timerEnabled = false, rescanEnabled = true, destroyed = false, ended = false;
    bool highIconUnloaded = false;
    int showNormalCalls = 0, taskListHides = 0;
    std::vector<std::pair<std::string, std::int32_t>> rows;
    std::string statusLine;
    std::deque<MenuCommand> menuAnswers;
    std::function<void()> duringMenu;  // runs while the menu is open
    int menusOpened = 0;
    std::vector<std::string> events;  // timer, unloads and the end, in order

    // Room made at once: the timer is switched in scope guards, which must not
    // fail when a test makes allocations fail.
    FakeMainView() { events.reserve(1024); }

    void ShowNormal() override {
        ++showNormalCalls;
        visible = true;
    }
    void ShowWindow() override { visible = true; }
    void HideWindow() override { visible = false; }
    void HideFromTaskList() override { ++taskListHides; }
    void SetTimerEnabled(bool enabled) override {
        timerEnabled = enabled;
        events.push_back(enabled ? "timer on" : "timer off");
    }
    void SetRescanEnabled(bool enabled) override { rescanEnabled = enabled; }
    void ClearRows() override { rows.clear(); }
    void AddRow(const std::string& name, std::int32_t players) override { rows.emplace_back(name, players); }
    void SetStatusLine(const std::string& text) override { statusLine = text; }
    int retranslations = 0;
    void Retranslate() override { ++retranslations; }
    MenuCommand ShowPopupMenu() override {
        ++menusOpened;
        if (duringMenu) duringMenu();
        if (menuAnswers.empty()) return MenuCommand::None;
        const MenuCommand answer = menuAnswers.front();
        menuAnswers.pop_front();
        return answer;
    }
    std::uintptr_t TrayWindowHandle() override { return kTrayWindow; }
    std::uintptr_t IconHandle(TrayIconKind kind) override {
        return kind == TrayIconKind::High ? kHighIcon : kNormalIcon;
    }
    void UnloadHighIcon() override {
        highIconUnloaded = true;
        events.push_back("high icon unloaded");
    }
    void Destroy() override {
        destroyed = true;
        events.push_back("destroy");
    }
    void EndProgram() override {
        ended = true;
        events.push_back("end");
    }
};

// Counts what the monitor asks of the History window.
class FakeHistoryView : public HistoryView {
public:
    int shows = 0, updates = 0;
    void Show() override { ++shows; }
    void Update() override { ++updates; }
};

class FakeTray : public Tray {
public:
    std::vector<std::pair<TrayMessage, TrayRecord>> calls;
    std::vector<TrayNotification> notifications;
    NotificationState state = NotificationState::Accepted;  // what Windows says of notifications
    NotificationState QueryNotificationState() override { return state; }
    bool NotifyIcon(TrayMessage message, const TrayRecord& data) override {
        calls.emplace_back(message, data);
        return true;
    }
    bool ShowNotification(const TrayNotification& notification) override {
        notifications.push_back(notification);
        return true;
    }
    // The icons shown by the modify calls since the last Clear, as 'N'/'H'.
    std::string IconSteps() const {
        std::string steps;
        for (const auto& [message, record] : calls)
            if (message == TrayMessage::Modify) steps += record.hIcon == FakeMainView::kHighIcon ? 'H' : 'N';
        return steps;
    }
    void Clear() { calls.clear(); }
};

// Plays nothing; its files are in memory, a relative name looked for in
// the current folder, then in kProgramFolder.
class FakeSound : public SoundPlayer {
public:
    static constexpr const char* kProgramFolder = "C:\\Wendrel\\";
    std::vector<std::pair<std::string, std::uint32_t>> played;
    bool fail = false;                         // throws, as an allocation that failed would
    std::map<std::string, std::string> files;  // path, bytes
    std::set<std::string> unreadable;          // paths that are there but cannot be read
    void Play(const std::string& path, std::uint32_t flags) override {
        if (fail) throw std::bad_alloc();
        played.emplace_back(path, flags);
    }
    std::string FileFor(const std::string& path) override {
        return ResolveSoundPath(path, kProgramFolder, [this](const std::string& p) {
            return files.count(p) != 0 || unreadable.count(p) != 0;
        });
    }
    FileRead ReadStart(const std::string& file, std::size_t count, std::string& bytes, std::uint64_t& size,
                       std::string& error) override {
        if (unreadable.count(file)) {
            error = "Access is denied";
            return FileRead::Failed;
        }
        const auto found = files.find(file);
        if (found == files.end()) return FileRead::Missing;
        bytes = found->second.substr(0, count);
        size = found->second.size();
        return FileRead::Read;
    }
};

class FakeLauncher : public ProcessLauncher {
public:
    std::string cwd = "D:\\Start\\";
    std::vector<std::string> drives;
    struct Started {
        std::string application, commandLine, folder;
    };
    std::vector<Started> started;
    bool failDrive = false, failFolder = false, failStart = false;

    std::string CurrentDirectory() override { return cwd; }
    std::string FullPath(const std::string& path) override {
        const bool full = (path.size() >= 2 && path[1] == ':') || path.rfind("\\", 0) == 0;
        return full ? path : cwd + path;
    }
    bool ChangeDrive(const std::string& drive, std::string& error) override {
        if (failDrive) return Fail(error, "The device is not ready");
        drives.push_back(drive);
        cwd = drive + "\\";
        return true;
    }
    bool ChangeDirectory(const std::string& folder, std::string& error) override {
        if (failFolder && folder != "D:\\Start\\") return Fail(error, "The system cannot find the path specified");
        cwd = folder;
        return true;
    }
    bool Start(const std::string& application, const std::string& commandLine, std::string& error) override {
        if (failStart) return Fail(error, "The system cannot find the file specified");
        started.push_back({application, commandLine, cwd});
        return true;
    }

private:
    static bool Fail(std::string& error, const char* text) {
        error = text;
        return false;
    }
};

class FakeClock : public Clock {
public:
    std::int64_t utc = 1796677445;  // 2026-12-07T21:04:05Z
    int offsetMinutes = 0, firstDay = 0, refreshes = 0;
    LocalTime Now() override { return {2026, 12, 7, 21, 4, 5}; }
    void Refresh() override { ++refreshes; }
    std::int64_t UtcNow() override { return utc; }
    int UtcOffsetMinutes(std::int64_t) override { return offsetMinutes; }
    int FirstDayOfWeek() override { return firstDay; }
};

class FakeLog : public EventLog {
public:
    std::vector<std::string> lines;
    void Write(const std::string& line) override { lines.push_back(line); }
    int Count(const std::string& needle) const {
        int n = 0;
        for (const auto& line : lines) n += line.find(needle) != std::string::npos;
        return n;
    }
};

// Mission files that are never there, or (failRead) one that cannot be read;
// or (throwOnList) a listing that runs out of memory.
class FakeMissions : public MissionFiles {
public:
    bool failRead = false, throwOnList = false;
    ListStatus List(const std::string&, std::vector<MissionEntry>& entries, std::string&) override {
        if (throwOnList) throw std::bad_alloc();
        if (!failRead) return ListStatus::NoFolder;
        entries.push_back({"A.MIS", true});
        return ListStatus::Listed;
    }
    ReadStatus Read(const std::string&, std::size_t, std::string&, FileFacts&, std::string& error) override {
        error = "Access is denied";
        return ReadStatus::Failed;
    }
    bool Facts(const std::string&, FileFacts&, std::string&) override { return false; }
    bool Write(const std::string&, const std::string&, std::string&) override { return false; }
    bool Flush(const std::string&, std::string&) override { return false; }
    ReplaceOutcome Replace(const std::string&, const std::string&, std::string&) override {
        return ReplaceOutcome::Unchanged;
    }
    bool MoveNew(const std::string&, const std::string&, std::string&) override { return false; }
    bool Remove(const std::string&, std::string&) override { return true; }
    std::string UpperCaseName(const std::string& name) override { return name; }
};

// Everything the main form works with, faked; Deps hands it to a form, with
// a real part in place of a fake where a test brings one.
struct FakeWorld {
    AppState app;
    MemoryRegistry registry;
    mdRegistry store{registry};
    FakeOptionsView optionsView;
    FakeMsgBox msgBox;
    frmOptions options{store, optionsView, msgBox};
    FakeMainView view;
    FakeTray tray;
    FakeSound sound;
    FakeLauncher launcher;
    FakeMissions missions;
    FakeInet inet;
    FakeClock clock;
    FakeLog log;

    MonitorDeps Deps(const std::string& url = "http://status.quellan.example", MainView* realView = nullptr,
                     ProcessLauncher* realLauncher = nullptr) {
        return MonitorDeps{app,    options,  realView ? *realView : view,
                           tray,   sound,    realLauncher ? *realLauncher : launcher,
                           msgBox, missions, inet,
                           clock,  &log,     StatusSource::FromUrl(url)};
    }
};

// A main form started as Windows starts the program: initialised, then loaded.
struct StartedForm : frmWendrel {
    explicit StartedForm(MonitorDeps deps) : frmWendrel(std::move(deps)) {
        Form_Initialize();
        Form_Load();
    }
};
