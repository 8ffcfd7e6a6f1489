#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "Driver.h"
#include "common/Names.h"
#include "common/Version.h"

// The main window's caption, which message boxes share.
inline constexpr const char* kWendrelTitle = "Wendrel V" WENDREL_VERSION;

// One wendrel.exe under test: started with arguments, found by its windows,
// ended at the end of the test if it is still running.
class WendrelProcess : public driver::Process {
public:
    static std::string& ExePath();  // set from the command line

    // Starts exe (by default ExePath()) with the arguments.
    bool Start(const std::string& arguments, const std::string& exe = ExePath());

    // Its hidden tray host and its main window (zero until they exist).
    HWND TrayHost() const;
    HWND MainWindow() const;
    HWND WaitForTrayHost(std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;
};

// Whether the shell holds the tray icon (window, id 1): a modify that
// changes nothing succeeds only for an icon that is there.
bool TrayIconExists(HWND trayHost);

// The items of the tray menu, in their order.
enum class TrayMenuItem { Launch, Status, Options, About, Exit };

// What a user does with the tray icon of a running Wendrel, whose hidden
// host window is trayHost: choose an item of its menu (false when no menu
// came); show the main window by a double-click, or open Options from the
// menu, each window once it is visible (null when it did not come).
bool ChooseFromTrayMenu(HWND trayHost, TrayMenuItem item);
HWND ShowMainWindow(HWND trayHost);
HWND OpenOptions(HWND trayHost, const char* caption = "Options");

// The settings key of the current user.
namespace settings {
void Reset();  // removes the key, whatever its access rights
void SetDword(const char* name, DWORD value);
void SetText(const char* name, const std::string& value);
void SetValue(const char* name, DWORD type, const std::string& bytes);
// Type and raw bytes of a value; type 0 when it is missing.
std::pair<DWORD, std::vector<unsigned char>> Get(const char* name);
// Takes every right on the key away (Reset gives them back); whether reading
// it is refused now.
bool DenyAccess();
// The "Wendrel" value under the current user's Run key, if there is one.
std::optional<std::string> RunValue();
void RemoveRunValue();
}  // namespace settings

// The running Wendrels, found by their tray host windows: their process ids,
// the tray host of one, and an end to all of them.
std::vector<DWORD> RunningWendrels();
HWND TrayHostOf(DWORD pid);
void KillRunningWendrels();
// Waits for a running Wendrel other than the process other; its process id
// (0 when none came in time).
DWORD WaitForWendrel(DWORD other = 0, std::chrono::milliseconds timeout = std::chrono::seconds(20));

// Text of a file (the log), empty when it cannot be read.
std::string ReadFileText(const std::string& path);
// Number of lines of the log containing needle.
int CountLines(const std::string& text, const std::string& needle);

// A fresh folder under the temp folder, with a trailing backslash.
std::string MakeTempFolder(const std::string& name);
