#include "win32/Program.h"

#include "common/CommandLine.h"
#include "settings/Settings.h"
#include "text/Languages.h"
#include "win32/Boundary.h"
#include "win32/ProgramPaths.h"

namespace {
// %LOCALAPPDATA%\Wendrel\history.csv; in the current folder when Windows names no such folder.
std::string DefaultHistoryPath() {
    const std::string folder = LocalAppDataFolder();
    return folder.empty() ? "history.csv" : folder + "Wendrel\\history.csv";
}
}  // namespace

const Catalogue& StartLanguage(const std::string& language) {
    if (!language.empty()) return ChooseLanguage(language, WindowsLanguages());
    Win32Registry registry;
    mdRegistry store(registry);
    const std::string stored =
        SettingText(store.FetchSetting(Settings::kKeyPath, Settings::Language.name)).value_or("");
    return ChooseLanguage(stored, WindowsLanguages());
}

Program::Program(const StartArguments& args, EventLog* log)
    : texts_(WindowsLocaleFormat(), StartLanguage(args.language)),
      store_(registry_),
      optionsDialog_(texts_),
      options_(store_, optionsDialog_, msgBox_, BuildCommandLine(ProgramPath(), args.startOptions)),
      sound_(log),
      inet_(args.timeout.value_or(WinInetTransfer::kDefaultDeadline), WinInetTransfer::kDefaultPageCap, nullptr,
            &texts_),
      historyFile_(args.historyFile.empty() ? DefaultHistoryPath() : FullPath(args.historyFile)),
      history_(historyFile_),
      historyWindow_(history_, clock_, texts_),
      form_(MonitorDeps{app_, options_, mainWindow_, tray_, sound_, launcher_, msgBox_, missionFiles_, inet_, clock_,
                        log, StatusSource::FromUrl(args.statusUrl.empty() ? StatusSource::kDefaultUrl : args.statusUrl),
                        &history_, &historyWindow_, &texts_}),
      log_(log) {
    SpeakAtBoundary(&texts_);
    optionsDialog_.Attach(options_);
    options_.SetMonitor(&form_);
    options_.SetLanguage(&texts_, this);
    historyWindow_.SetThreshold([this] { return form_.AlarmOn; });
}

Program::~Program() { SpeakAtBoundary(nullptr); }

void Program::UseLanguage(const std::string& stored) {
    texts_.Use(ChooseLanguage(stored, WindowsLanguages()));
    form_.Retranslate();
}

bool Program::Start() {
    if (!mainWindow_.Create(form_)) return false;
    const HWND trayHost = reinterpret_cast<HWND>(mainWindow_.TrayWindowHandle());
    historyWindow_.SetOwner(trayHost);
    // Without the notices the retries alone find the network coming back.
    std::string error;
    if (!network_.Start(trayHost, TrayHostWindow::kNetworkChangedMessage, error) && log_)
        log_->Write("start: no notice of the network coming back: " + error);
    form_.Form_Initialize();
    // A failure during start-up is reported; the timer still runs, so the
    // program goes on watching.
    CatchAtBoundary(0, [this] {
        form_.Form_Load();
        return 0;
    });
    return true;
}
