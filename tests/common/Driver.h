#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// Drives another process's windows the way a user would, for the end-to-end
// tests and the screenshots.
namespace driver {

using namespace std::chrono_literals;

// Polls until check() is true or the timeout passes; returns the last result.
bool WaitUntil(const std::function<bool()>& check, std::chrono::milliseconds timeout = 10s);

// A top-level window of the given class (and caption, if not null), visible or not.
HWND FindTop(const char* className, const char* caption = nullptr);
HWND WaitForTop(const char* className, const char* caption = nullptr, std::chrono::milliseconds timeout = 10s);
// A visible top-level window of this class and caption owned by process pid (0: any).
HWND FindVisible(const char* className, const char* caption, DWORD pid = 0);
HWND WaitForVisible(const char* className, const char* caption, DWORD pid = 0, std::chrono::milliseconds timeout = 10s);

std::string Text(HWND window);
std::string ControlText(HWND parent, int id);

// The tray icon's callback as the shell sends it.
void PostTrayEvent(HWND trayHost, int mouseMessage);
// Chooses an item of the open pop-up menu by its position (0-based).
bool ChooseMenuItem(int index, std::chrono::milliseconds timeout = 10s);
// Posts a button's click to its parent.
void Click(HWND parent, int id);
// Answers a dialog or message box as Enter would.
void PressOk(HWND dialog);

// The rows of a report-view ListView in another process: each row's cells.
std::vector<std::vector<std::string>> ReadListView(HWND list, int columns);

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

// Runs a command line and waits for it; its exit code (~0 when it could not
// start or did not end in time).
DWORD RunAndWait(std::string commandLine, std::chrono::milliseconds timeout = 60s);

// A Unix path from the build as Wine's Z: drive path; other paths with
// backslashes.
std::string WindowsPath(std::string path);
// The pixels of a window's client area as the screen shows them.
std::vector<unsigned char> CaptureClient(HWND window);

}  // namespace driver
