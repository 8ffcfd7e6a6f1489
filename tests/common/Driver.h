#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// Drives another process's windows the way a user would, for the end-to-end
// tests and the screenshots. Texts, captions, class names and paths are
// UTF-8; windows are read and found with the W calls.
namespace driver {

using namespace std::chrono_literals;

// Texts in UTF-8 here, in UTF-16 for Windows: right whatever the ANSI code page.
std::wstring Wide(const std::string& text);
std::string Narrow(const wchar_t* text);

// Polls until check() is true or the timeout passes; returns the last result.
bool WaitUntil(const std::function<bool()>& check, std::chrono::milliseconds timeout = 10s);

// A top-level window of the given class (and caption, if not null), visible or not.
HWND FindTop(const char* className, const char* caption = nullptr);
HWND WaitForTop(const char* className, const char* caption = nullptr, std::chrono::milliseconds timeout = 10s);
// Every top-level window of the given class (and caption, if not null).
std::vector<HWND> TopWindows(const char* className, const char* caption = nullptr);
// A visible top-level window of this class and caption owned by process pid
// (0: any), other than except.
HWND FindVisible(const char* className, const char* caption, DWORD pid = 0, HWND except = nullptr);
HWND WaitForVisible(const char* className, const char* caption, DWORD pid = 0, std::chrono::milliseconds timeout = 10s);
// The process that owns a window.
DWORD ProcessOf(HWND window);

std::string Text(HWND window);
std::string ControlText(HWND parent, int id);
// Whether a check box is ticked.
bool Ticked(HWND parent, int id);

// A tray icon clicked as the shell reports it to the icon's host window
// (through the callback message WM_MOUSEMOVE, the program's choice): a
// right-click, a double-click, a click on the icon's notification.
void RightClickTrayIcon(HWND trayHost);
void DoubleClickTrayIcon(HWND trayHost);
void ClickNotification(HWND trayHost);
// What Windows tells every top-level window when the computer wakes from
// sleep, and when the user changes the regional settings.
void WakeFromSleep();
void ChangeRegionalSettings();
// What Windows tells a window that moved to a monitor at toDpi: the window's
// rectangle scaled from its top left corner as the suggested one, in the
// window's process. Returns it once the window has moved and laid itself out.
RECT MoveToDpi(HWND window, int fromDpi, int toDpi);

// The open pop-up menu, once there is one.
HWND WaitForMenu(std::chrono::milliseconds timeout = 10s);
// Chooses an item of the open pop-up menu by its position (0-based).
bool ChooseMenuItem(int index, std::chrono::milliseconds timeout = 10s);
// Closes the menu as Esc would.
void CloseMenu(HWND menu);

// Moves the pointer to a point of a window's client area, as the mouse would.
void PointAt(HWND window, int x, int y);
// A key pressed in a window.
void PressKey(HWND window, WPARAM key);

// Posts a button's click to its parent.
void Click(HWND parent, int id);
// Answers a dialog or message box as Enter or Esc would.
void PressOk(HWND dialog);
void PressCancel(HWND dialog);

// A visible message box with this title, of process pid, other than except
// (a dialog with the same caption); null when none came in time.
HWND WaitForMessageBox(const char* title, DWORD pid, HWND except = nullptr, std::chrono::milliseconds timeout = 10s);
// The text a message box shows.
std::string MessageBoxText(HWND box);

// The rows of a report-view ListView in another process: each row's cells.
std::vector<std::vector<std::string>> ReadListView(HWND list, int columns);
// Its column headings.
std::vector<std::string> ListViewHeadings(HWND list);

// A notification the shell shows as a balloon tooltip (in its own process).
// Wine's tooltips do not answer TTM_GETTITLE: there the title stays empty.
struct Balloon {
    HWND window = nullptr;
    std::string title, text;
};
// The visible notification balloons on the screen.
std::vector<Balloon> ReadBalloons();

// Saves the whole screen as a 24-bit BMP file.
bool SaveScreen(const std::string& path);
// Saves the screen as folder/name.bmp and, when box is given, the box to cut
// it to (with a margin) as folder/name.crop, for convert-shots.sh.
void SaveShot(const std::string& folder, const char* name, const RECT* box = nullptr);

// A program a test starts, ended when this goes if it still runs.
class Process {
public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process() { Kill(); }

    bool Start(const std::string& commandLine);
    DWORD Pid() const { return info_.dwProcessId; }
    HANDLE Handle() const { return info_.hProcess; }
    bool Running() const;
    bool WaitForExit(std::chrono::milliseconds timeout, DWORD* exitCode = nullptr) const;
    void Kill();

private:
    PROCESS_INFORMATION info_{};
};

// Whether the process pid still runs.
bool ProcessRunning(DWORD pid);

// Runs a command line and waits for it; its exit code (~0 when it could not
// start or did not end in time, when it is ended).
DWORD RunAndWait(const std::string& commandLine, std::chrono::milliseconds timeout = 60s);

// A Unix path from the build as Wine's Z: drive path; other paths with
// backslashes.
std::string WindowsPath(std::string path);
// The pixels of a window's client area as the screen shows them.
std::vector<unsigned char> CaptureClient(HWND window);

}  // namespace driver
