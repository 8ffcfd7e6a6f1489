#include "win32/Win32Launcher.h"

#include <windows.h>

#include "win32/Handles.h"
#include "win32/ProgramPaths.h"
#include "win32/TextConversion.h"
#include "win32/WinError.h"

std::string Win32Launcher::CurrentDirectory() {
    std::wstring folder(GetCurrentDirectoryW(0, nullptr) + 1, L'\0');
    folder.resize(GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data()));
    return Narrow(folder, CP_UTF8);
}

bool Win32Launcher::ChangeDrive(const std::string& drive, std::string& error) {
    // "C:" alone selects the drive at its own current folder.
    return SetCurrentDirectoryW(Wide(drive, CP_UTF8).c_str()) || FailWithLastError(error);
}

bool Win32Launcher::ChangeDirectory(const std::string& folder, std::string& error) {
    const std::wstring wide = Wide(folder, CP_UTF8);
    // The current folder is limited to MAX_PATH with its final backslash;
    // Wine corrupts its heap on a longer one instead of failing.
    if (wide.size() + (wide.ends_with(L'\\') ? 1 : 2) > MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return FailWithLastError(error);
    }
    return SetCurrentDirectoryW(wide.c_str()) || FailWithLastError(error);
}

std::string Win32Launcher::FullPath(const std::string& path) { return ::FullPath(path); }

bool Win32Launcher::Start(const std::string& application, const std::string& commandLine, std::string& error) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring line = Wide(commandLine, CP_UTF8);  // CreateProcessW may write into it
    // The application name is passed as well: with only an unquoted command
    // line, "C:\Program Files\..." would first try to run "C:\Program.exe".
    if (!CreateProcessW(Wide(application, CP_UTF8).c_str(), line.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS,
                        nullptr, nullptr, &startup, &process))
        return FailWithLastError(error);
    // The program neither waits for the client nor keeps it.
    const UniqueHandle child(process.hProcess), thread(process.hThread);
    return true;
}
