#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>

#include "platform/Clock.h"
#include "platform/EventLog.h"
#include "platform/ProcessLauncher.h"
#include "platform/SoundPlayer.h"
#include "platform/Tray.h"

// Shell_NotifyIconA with the record's fields in the platform's own layout.
class Win32Tray : public Tray {
public:
    bool NotifyIcon(TrayMessage message, const TrayRecord& data) override;
    bool ShowNotification(const TrayNotification& notification) override;
};

// PlaySoundA; a relative file is also looked for beside the program. Notes
// in the log which file it plays, or that it cannot open it.
class Win32Sound : public SoundPlayer {
public:
    explicit Win32Sound(EventLog* log) : log_(log) {}
    void Play(const std::string& path, std::uint32_t flags) override;

private:
    EventLog* log_;
};

class Win32Launcher : public ProcessLauncher {
public:
    std::string CurrentDirectory() override;
    bool ChangeDrive(const std::string& drive, std::string& error) override;
    bool ChangeDirectory(const std::string& folder, std::string& error) override;
    std::string FullPath(const std::string& path) override;
    bool Start(const std::string& application, const std::string& commandLine, std::string& error) override;
};

// The system's clock, the user's time zone (with the daylight saving rules
// of each year) and the first day of the week of the user's locale.
class Win32Clock : public Clock {
public:
    LocalTime Now() override;
    std::int64_t UtcNow() override;
    int UtcOffsetMinutes(std::int64_t utc) override;
    int FirstDayOfWeek() override;

private:
    std::map<int, std::optional<TIME_ZONE_INFORMATION>> zones_;  // by year: reading one takes the registry
};

// Appends each line to a file, opened and closed per line so that nothing
// waits in a buffer and other programs can read it at any time.
class FileLog : public EventLog {
public:
    explicit FileLog(std::string path) : path_(std::move(path)) {}
    const std::string& Path() const { return path_; }
    // Whether lines can be appended to the file (which it creates if need be).
    bool Check(std::string& error) const;
    void Write(const std::string& line) override;

private:
    std::string path_;
};

// The full path of the running program, and its folder with the trailing backslash.
std::string ProgramPath();
// path made full against the current folder (as it is when none can be made).
std::string FullPath(const std::string& path);
std::string ProgramFolder();
