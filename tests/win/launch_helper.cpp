// Stands in for the lobby client in the launch tests: appends what it was
// started with to the file named by WENDREL_LAUNCH_RECORD, one line each in
// UTF-8: its own path, its command line, its current folder.
#include <windows.h>

#include <string>

namespace {
std::string Utf8(const wchar_t* text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), n, nullptr, nullptr);
    return utf8;
}
}  // namespace

int main() {
    wchar_t record[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"WENDREL_LAUNCH_RECORD", record, MAX_PATH)) return 1;
    wchar_t self[MAX_PATH] = {}, folder[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    GetCurrentDirectoryW(MAX_PATH, folder);
    const std::string text = Utf8(self) + "\n" + Utf8(GetCommandLineW()) + "\n" + Utf8(folder) + "\n";
    HANDLE file =
        CreateFileW(record, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return 0;
}
