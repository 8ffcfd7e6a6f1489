#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "common/CommandLine.h"
#include "monitor/StartArguments.h"
#include "monitor/frmWendrel.h"
#include "win32/FileLog.h"
#include "win32/Handles.h"
#include "win32/HistoryWindow.h"
#include "win32/Win32HistoryFile.h"
#include "win32/MainWindow.h"
#include "win32/MessagePump.h"
#include "win32/OptionsDialog.h"
#include "win32/ProgramPaths.h"
#include "win32/Win32Clock.h"
#include "win32/Win32Launcher.h"
#include "win32/Win32MissionFiles.h"
#include "win32/Win32MsgBox.h"
#include "win32/Win32Registry.h"
#include "win32/Win32Sound.h"
#include "win32/Win32Tray.h"
#include "win32/SystemLibrary.h"
#include "win32/WinInetTransfer.h"

namespace {

// A second start shows the running program's status window instead. The
// first may still be starting: its window gets a few seconds to appear.
bool BringUpRunningInstance() {
    HWND host = nullptr;
    for (int i = 0; i < 50 && !(host = FindWindowA(TrayHostWindow::kClassName, nullptr)); ++i) Sleep(100);
    if (!host) return false;
    DWORD pid = 0;
    GetWindowThreadProcessId(host, &pid);
    AllowSetForegroundWindow(pid);
    return PostMessageA(host, RegisterWindowMessageA(TrayHostWindow::kShowStatusMessage), 0, 0) != FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RestrictLibrarySearchToSystem();
    StartArguments args = ParseStartArguments(std::vector<std::string>(__argv + 1, __argv + __argc));
    if (args.help) {
        MessageBoxA(nullptr, kUsage, frmWendrel::kTitle, MB_ICONINFORMATION);
        return 0;
    }
    if (!args.error.empty()) {
        MessageBoxA(nullptr, (args.error + "\r\n\r\n" + kUsage).c_str(), frmWendrel::kTitle, MB_ICONEXCLAMATION);
        return 2;
    }

    UniqueHandle instance(CreateMutexA(nullptr, FALSE, "Local\\Orvane.Wendrel.Instance"));
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        if (BringUpRunningInstance()) return 0;
        MessageBoxA(nullptr,
                    "Wendrel is already running, but it does not answer.\r\n\r\n"
                    "End wendrel.exe in Task Manager, then start Wendrel again.",
                    frmWendrel::kTitle, MB_ICONEXCLAMATION);
        return 1;
    }

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    // The log's path is made full now: the launch changes the current folder.
    std::unique_ptr<FileLog> log;
    if (!args.logFile.empty()) {
        log = std::make_unique<FileLog>(FullPath(args.logFile));
        std::string error;
        if (!log->Check(error)) {
            MessageBoxA(nullptr,
                        ("Wendrel cannot write its log file:\r\n" + log->Path() + "\r\n\r\n" + error +
                         "\r\n\r\nIt runs without a log.")
                            .c_str(),
                        frmWendrel::kTitle, MB_ICONEXCLAMATION);
            log.reset();
        }
    }

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
    WinInetTransfer inet(args.timeout.value_or(WinInetTransfer::kDefaultDeadline));
    Win32Clock clock;
    Win32HistoryFile historyFile(args.historyFile.empty() ? Win32HistoryFile::DefaultPath()
                                                          : FullPath(args.historyFile));
    PlayerHistory history(historyFile);
    HistoryWindow historyWindow(history, clock);
    const std::string url = args.statusUrl.empty() ? StatusSource::kDefaultUrl : args.statusUrl;
    frmWendrel form(MonitorDeps{app, options, mainWindow, tray, sound, launcher, msgBox, missionFiles, inet, clock,
                                log.get(), StatusSource::FromUrl(url), &history, &historyWindow});
    options.SetMonitor(&form);
    historyWindow.SetThreshold([&form] { return form.AlarmOn; });

    if (!mainWindow.Create(form)) {
        MessageBoxA(nullptr, "Wendrel could not create its window.", frmWendrel::kTitle, MB_ICONERROR);
        return 1;
    }
    historyWindow.SetOwner(reinterpret_cast<HWND>(mainWindow.TrayWindowHandle()));
    form.Form_Initialize();
    form.Form_Load();

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchAppMessage(msg);
    return 0;
}
