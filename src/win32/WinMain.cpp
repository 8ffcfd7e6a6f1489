#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/ScopeExit.h"
#include "monitor/StartArguments.h"
#include "monitor/frmWendrel.h"
#include "win32/FileLog.h"
#include "win32/Handles.h"
#include "win32/MainWindow.h"
#include "win32/MessagePump.h"
#include "win32/Program.h"
#include "win32/ProgramPaths.h"
#include "win32/SystemLibrary.h"
#include "win32/TextConversion.h"
#include "win32/Win32LocaleFormat.h"

namespace {

// The program's own message boxes, before and beside the windows: in the
// language it speaks (language: --language), under its title.
class Say {
public:
    explicit Say(const std::string& language) : texts_(WindowsLocaleFormat(), StartLanguage(language)) {}
    void operator()(const Message& message, UINT icon) const {
        MessageBoxW(nullptr, Wide(texts_(message), CP_UTF8).c_str(), Wide(texts_(frmWendrel::Title()), CP_UTF8).c_str(),
                    icon);
    }

private:
    Texts texts_;
};

// The arguments after the program's name, as the C runtime split them, in UTF-8.
std::vector<std::string> Arguments() {
    std::vector<std::string> arguments;
    for (int i = 1; i < __argc; ++i) arguments.push_back(Narrow(__wargv[i], CP_UTF8));
    return arguments;
}

// A second start shows the running program's status window instead. The
// first may still be starting: its window gets a few seconds to appear.
bool BringUpRunningInstance() {
    HWND host = nullptr;
    for (int i = 0; i < 50 && !(host = FindWindowW(TrayHostWindow::kClassName, nullptr)); ++i) Sleep(100);
    if (!host) return false;
    DWORD pid = 0;
    GetWindowThreadProcessId(host, &pid);
    AllowSetForegroundWindow(pid);
    return PostMessageW(host, RegisterWindowMessageW(TrayHostWindow::kShowStatusMessage), 0, 0) != FALSE;
}

int HandOverToRunningInstance(const Say& say) {
    if (BringUpRunningInstance()) return 0;
    say(Message(Msg::ProgramNotAnswering), MB_ICONEXCLAMATION);
    return 1;
}

// The log of --log, if any and if it can be written. Its path is made full
// now: the launch changes the current folder.
std::unique_ptr<FileLog> OpenLog(const std::string& path, const Say& say) {
    if (path.empty()) return nullptr;
    auto log = std::make_unique<FileLog>(FullPath(path));
    std::string error;
    if (log->Check(error)) return log;
    say(Message(Msg::ProgramLogUnwritable, log->Path(), error), MB_ICONEXCLAMATION);
    return nullptr;
}

int RunMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchAppMessage(msg);
    return 0;
}

}  // namespace

// libstdc++'s default terminate handler writes the exception's demangled type
// to stderr, which a windowed program does not have, and brings in the
// demangler (45 KB of the exe). This one aborts as it does, without the
// message. Every entry point catches exceptions (Boundary.h): it is a last
// resort.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

// wWinMain: the C runtime splits the command line as UTF-16 (__wargv), so
// any path or address reaches the program whatever the ANSI code page.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    RestrictLibrarySearchToSystem();
    const StartArguments args = ParseStartArguments(Arguments());
    const Say say(args.language);
    if (const std::optional<Message> answer = ArgumentsAnswer(args)) {
        say(*answer, args.error ? MB_ICONEXCLAMATION : MB_ICONINFORMATION);
        return args.error ? 2 : 0;
    }

    const UniqueHandle instance(CreateMutexW(nullptr, FALSE, L"Local\\Orvane.Wendrel.Instance"));
    if (GetLastError() == ERROR_ALREADY_EXISTS) return HandOverToRunningInstance(say);

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    // An apartment for the accessible objects the History window hands to screen readers.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const ScopeExit endCom([com] {
        if (SUCCEEDED(com)) CoUninitialize();
    });

    const std::unique_ptr<FileLog> log = OpenLog(args.logFile, say);
    Program program(args, log.get());
    if (!program.Start()) {
        say(Message(Msg::ProgramNoWindow), MB_ICONERROR);
        return 1;
    }
    return RunMessageLoop();
}
