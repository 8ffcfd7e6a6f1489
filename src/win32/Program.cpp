#include "win32/Program.h"

#include "common/CommandLine.h"
#include "win32/Boundary.h"
#include "text/Languages.h"
#include "win32/ProgramPaths.h"
#include "win32/TextConversion.h"

namespace {
// The history's path in UTF-8: --history comes in the process's code page.
std::string HistoryPath(const StartArguments& args) {
    if (args.historyFile.empty()) return Win32HistoryFile::DefaultPath();
    return Narrow(Wide(FullPath(args.historyFile), CP_ACP), CP_UTF8);
}
}  // namespace

Program::Program(const StartArguments& args, EventLog* log)
    : texts_(localeFormat_, ChooseLanguage("", WindowsLanguages())),
      store_(registry_),
      options_(store_, optionsDialog_, msgBox_, BuildCommandLine(ProgramPath(), args.startOptions)),
      sound_(log),
      inet_(args.timeout.value_or(WinInetTransfer::kDefaultDeadline)),
      historyFile_(HistoryPath(args)),
      history_(historyFile_),
      historyWindow_(history_, clock_, texts_),
      form_(MonitorDeps{app_, options_, mainWindow_, tray_, sound_, launcher_, msgBox_, missionFiles_, inet_, clock_,
                        log, StatusSource::FromUrl(args.statusUrl.empty() ? StatusSource::kDefaultUrl : args.statusUrl),
                        &history_, &historyWindow_, &texts_}),
      log_(log) {
    optionsDialog_.Attach(options_);
    options_.SetMonitor(&form_);
    historyWindow_.SetThreshold([this] { return form_.AlarmOn; });
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
