#pragma once

#include <windows.h>

#include <chrono>

#include "common/Version.h"
#include <optional>
#include <string>
#include <vector>

// The main window's caption, which message boxes share.
inline constexpr const char* kWendrelTitle = "Wendrel V" WENDREL_VERSION;

// One wendrel.exe under test: started with arguments, found by its windows,
// ended at the end of the test if it is still running.
class WendrelProcess {
public:
    static std::string& ExePath();  // set from the command line

    WendrelProcess() = default;
    WendrelProcess(const WendrelProcess&) = delete;
    WendrelProcess& operator=(const WendrelProcess&) = delete;
    ~WendrelProcess() { Kill(); }

    bool Start(const std::string& arguments);
    DWORD Pid() const { return info_.dwProcessId; }
    HANDLE Process() const { return info_.hProcess; }
    bool Running() const;
    bool WaitForExit(std::chrono::milliseconds timeout, DWORD* exitCode = nullptr) const;
    void Kill();

    // Its hidden tray host and its main window (zero until they exist).
    HWND TrayHost() const;
    HWND MainWindow() const;
    HWND WaitForTrayHost(std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;

private:
    PROCESS_INFORMATION info_{};
};

// Whether the shell holds the tray icon (window, id 1): a modify that
// changes nothing succeeds only for an icon that is there.
bool TrayIconExists(HWND trayHost);

// The settings key of the current user.
namespace settings {
void Reset();  // removes the key, whatever its access rights
void SetDword(const char* name, DWORD value);
void SetText(const char* name, const std::string& value);
// Type and raw bytes of a value; type 0 when it is missing.
std::pair<DWORD, std::vector<unsigned char>> Get(const char* name);
// The "Wendrel" value under the current user's Run key, if there is one.
std::optional<std::string> RunValue();
void RemoveRunValue();
}  // namespace settings

// The process ids of every running wendrel.exe, found by their tray windows.
std::vector<DWORD> RunningWendrels();
void KillProcess(DWORD pid);

// Text of a file (the log), empty when it cannot be read.
std::string ReadFileText(const std::string& path);
// Number of lines of the log containing needle.
int CountLines(const std::string& text, const std::string& needle);

// A fresh folder under the temp folder, with a trailing backslash.
std::string MakeTempFolder(const std::string& name);
