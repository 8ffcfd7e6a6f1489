// Stands in for the lobby client in the launch tests: appends what it was
// started with to the file named by WENDREL_LAUNCH_RECORD, one line each:
// its own path, its command line, its current folder.
#include <windows.h>

#include <string>

int main() {
    char record[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("WENDREL_LAUNCH_RECORD", record, MAX_PATH)) return 1;
    char self[MAX_PATH] = {}, folder[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    GetCurrentDirectoryA(MAX_PATH, folder);
    const std::string text = std::string(self) + "\n" + GetCommandLineA() + "\n" + folder + "\n";
    HANDLE file =
        CreateFileA(record, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return 0;
}
