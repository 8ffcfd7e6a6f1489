#pragma once

#include "common/AppState.h"
#include "history/PlayerHistory.h"
#include "monitor/StartArguments.h"
#include "monitor/frmWendrel.h"
#include "settings/frmOptions.h"
#include "settings/mdRegistry.h"
#include "win32/HistoryWindow.h"
#include "win32/MainWindow.h"
#include "win32/NetworkWatcher.h"
#include "win32/OptionsDialog.h"
#include "win32/Win32Clock.h"
#include "win32/Win32HistoryFile.h"
#include "win32/Win32Launcher.h"
#include "win32/Win32LocaleFormat.h"
#include "win32/Win32MissionFiles.h"
#include "win32/Win32MsgBox.h"
#include "win32/Win32Registry.h"
#include "win32/Win32Sound.h"
#include "win32/Win32Tray.h"
#include "win32/WinInetTransfer.h"

// The language the program speaks, as it starts: language (--language) for
// this run, else the one chosen in Options, else the one Windows shows, as
// far as a catalogue has it.
const Catalogue& StartLanguage(const std::string& language);

// The running program: the forms with the platform's objects they work
// through, made and wired together once, for as long as it runs. It
// switches the language when Options stores another choice.
class Program : public LanguageSink {
public:
    // log is optional (--log); it outlives the program.
    Program(const StartArguments& args, EventLog* log);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Makes the windows and loads the main form; false when its window cannot be made.
    bool Start();

    void UseLanguage(const std::string& stored) override;

private:
    AppState app_;
    Texts texts_;  // every window's and message's language
    Win32Registry registry_;
    mdRegistry store_;
    Win32MsgBox msgBox_;
    OptionsDialog optionsDialog_;
    frmOptions options_;
    MainWindow mainWindow_;
    Win32Tray tray_;
    Win32Sound sound_;
    Win32Launcher launcher_;
    Win32MissionFiles missionFiles_;
    WinInetTransfer inet_;
    Win32Clock clock_;
    Win32HistoryFile historyFile_;
    PlayerHistory history_;
    HistoryWindow historyWindow_;
    frmWendrel form_;
    NetworkWatcher network_;
    EventLog* log_;
};
