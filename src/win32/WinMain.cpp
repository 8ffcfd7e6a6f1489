#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "common/CommandLine.h"
#include "monitor/frmWendrel.h"
#include "win32/Handles.h"
#include "win32/MainWindow.h"
#include "win32/MessagePump.h"
#include "win32/OptionsDialog.h"
#include "win32/Win32MissionFiles.h"
#include "win32/Win32MsgBox.h"
#include "win32/Win32Registry.h"
#include "win32/Win32Shell.h"
#include "win32/WinInetTransfer.h"

namespace {

constexpr const char* kUsage =
    "Usage: wendrel.exe [--status-url URL] [--log FILE] [--timeout SECONDS]\r\n\r\n"
    "--status-url URL\tthe lobby status page to watch (default http://status.quellan.example)\r\n"
    "--log FILE\tappend a line per scan and per alarm change to FILE\r\n"
    "--timeout SECONDS\tgive up on a scan after this long (default 30)";

struct CommandLine {
    std::string statusUrl = StatusSource::kDefaultUrl;
    std::string logFile;
    std::chrono::milliseconds timeout = WinInetTransfer::kDefaultDeadline;
    std::vector<std::string> startOptions;  // --status-url and --timeout as given, for the Run key
    std::string error;                      // set when the arguments cannot be used
};

CommandLine ParseCommandLine(int argc, char** argv) {
    CommandLine line;
    for (int i = 1; i < argc && line.error.empty(); ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--status-url" && hasValue) {
            line.statusUrl = argv[++i];
            line.startOptions.insert(line.startOptions.end(), {arg, line.statusUrl});
        } else if (arg == "--log" && hasValue) {
            line.logFile = argv[++i];
        } else if (arg == "--timeout" && hasValue) {
            const std::string value = argv[++i];
            char* end = nullptr;
            const double seconds = std::strtod(value.c_str(), &end);
            if (end == value.c_str() || *end != '\0' || !(seconds > 0 && seconds <= 3600))
                line.error = "--timeout takes a number of seconds from 0 to 3600, not \"" + value + "\".";
            else
                line.timeout = std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
            line.startOptions.insert(line.startOptions.end(), {arg, value});
        } else {
            line.error = "Unknown or incomplete option \"" + arg + "\".";
        }
    }
    return line;
}

// A second start shows the running program's status window instead.
void BringUpRunningInstance() {
    HWND host = FindWindowA(TrayHostWindow::kClassName, nullptr);
    if (!host) return;
    DWORD pid = 0;
    GetWindowThreadProcessId(host, &pid);
    AllowSetForegroundWindow(pid);
    PostMessageA(host, RegisterWindowMessageA(TrayHostWindow::kShowStatusMessage), 0, 0);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const CommandLine args = ParseCommandLine(__argc, __argv);
    if (!args.error.empty()) {
        MessageBoxA(nullptr, (args.error + "\r\n\r\n" + kUsage).c_str(), frmWendrel::kTitle, MB_ICONEXCLAMATION);
        return 2;
    }

    UniqueHandle instance(CreateMutexA(nullptr, FALSE, "Local\\Orvane.Wendrel.Instance"));
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        BringUpRunningInstance();
        return 0;
    }

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    std::unique_ptr<FileLog> log;
    if (!args.logFile.empty()) log = std::make_unique<FileLog>(args.logFile);

    AppState app;
    Win32Registry registry;
    mdRegistry store(registry);
    Win32MsgBox msgBox;
    OptionsDialog optionsDialog;
    frmOptions options(store, optionsDialog, msgBox, BuildCommandLine(ProgramPath(), args.startOptions));
    optionsDialog.Attach(options);

    MainWindow mainWindow;
    Win32Tray tray;
    Win32Sound sound(log.get());
    Win32Launcher launcher;
    Win32MissionFiles missionFiles;
    WinInetTransfer inet(args.timeout);
    Win32Clock clock;
    frmWendrel form(MonitorDeps{app, options, mainWindow, tray, sound, launcher, msgBox, missionFiles, inet, clock,
                                log.get(), StatusSource::FromUrl(args.statusUrl)});
    options.SetMonitor(&form);

    if (!mainWindow.Create(form)) {
        MessageBoxA(nullptr, "Wendrel could not create its window.", frmWendrel::kTitle, MB_ICONERROR);
        return 1;
    }
    form.Form_Initialize();
    form.Form_Load();

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchAppMessage(msg);
    return 0;
}
