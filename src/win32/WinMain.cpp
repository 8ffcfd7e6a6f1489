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

namespace {

void Say(const std::string& text, UINT icon) {
    MessageBoxW(nullptr, Wide(text, CP_UTF8).c_str(), Wide(EnglishTexts()(frmWendrel::Title()), CP_UTF8).c_str(), icon);
}

// Shows the usage for --help, or what is wrong with the arguments; the
// program's exit code when it is to end here.
std::optional<int> ExplainArguments(const StartArguments& args) {
    if (args.help) {
        Say(kUsage, MB_ICONINFORMATION);
        return 0;
    }
    if (!args.error.empty()) {
        Say(args.error + "\r\n\r\n" + kUsage, MB_ICONEXCLAMATION);
        return 2;
    }
    return std::nullopt;
}

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

int HandOverToRunningInstance() {
    if (BringUpRunningInstance()) return 0;
    Say("Wendrel is already running, but it does not answer.\r\n\r\n"
        "End wendrel.exe in Task Manager, then start Wendrel again.",
        MB_ICONEXCLAMATION);
    return 1;
}

// The log of --log, if any and if it can be written. Its path is made full
// now: the launch changes the current folder.
std::unique_ptr<FileLog> OpenLog(const std::string& path) {
    if (path.empty()) return nullptr;
    auto log = std::make_unique<FileLog>(FullPath(path));
    std::string error;
    if (log->Check(error)) return log;
    Say("Wendrel cannot write its log file:\r\n" + log->Path() + "\r\n\r\n" + error + "\r\n\r\nIt runs without a log.",
        MB_ICONEXCLAMATION);
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

// The wide entry point (linked with -municode): the C runtime splits the
// command line into wide arguments, which the program takes as UTF-8, so a
// path in any letters reaches it whole.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    RestrictLibrarySearchToSystem();
    std::vector<std::string> arguments;
    for (int i = 1; i < __argc; ++i) arguments.push_back(Narrow(__wargv[i], CP_UTF8));
    const StartArguments args = ParseStartArguments(arguments);
    if (const std::optional<int> exitCode = ExplainArguments(args)) return *exitCode;

    const UniqueHandle instance(CreateMutexA(nullptr, FALSE, "Local\\Orvane.Wendrel.Instance"));
    if (GetLastError() == ERROR_ALREADY_EXISTS) return HandOverToRunningInstance();

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    // An apartment for the accessible objects the History window hands to screen readers.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const ScopeExit endCom([com] {
        if (SUCCEEDED(com)) CoUninitialize();
    });

    const std::unique_ptr<FileLog> log = OpenLog(args.logFile);
    Program program(args, log.get());
    if (!program.Start()) {
        Say("Wendrel could not create its window.", MB_ICONERROR);
        return 1;
    }
    return RunMessageLoop();
}
