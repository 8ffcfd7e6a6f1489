#include "Wendrel.h"

#include <shellapi.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "Driver.h"

namespace {
constexpr const char* kKey = "Software\\Orvane\\Wendrel";

HWND FindOwnWindow(const char* className, const char* caption, DWORD pid) {
    for (HWND w = FindWindowExA(nullptr, nullptr, className, caption); w;
         w = FindWindowExA(nullptr, w, className, caption)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid) return w;
    }
    return nullptr;
}
}  // namespace

std::string& WendrelProcess::ExePath() {
    static std::string path;
    return path;
}

bool WendrelProcess::Start(const std::string& arguments) {
    std::string line = "\"" + ExePath() + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    return CreateProcessA(ExePath().c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info_);
}

bool WendrelProcess::Running() const {
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool WendrelProcess::WaitForExit(std::chrono::milliseconds timeout, DWORD* exitCode) const {
    if (!info_.hProcess) return true;
    const bool exited = WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
    if (exited && exitCode) GetExitCodeProcess(info_.hProcess, exitCode);
    return exited;
}

void WendrelProcess::Kill() {
    if (!info_.hProcess) return;
    if (Running()) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
    info_ = {};
}

HWND WendrelProcess::TrayHost() const { return FindOwnWindow("WendrelTray", nullptr, Pid()); }

HWND WendrelProcess::MainWindow() const { return FindOwnWindow("WendrelMain", kWendrelTitle, Pid()); }

HWND WendrelProcess::WaitForTrayHost(std::chrono::milliseconds timeout) const {
    HWND host = nullptr;
    driver::WaitUntil([&] { return (host = TrayHost()) != nullptr && MainWindow() != nullptr; }, timeout);
    return host;
}

bool TrayIconExists(HWND trayHost) {
    NOTIFYICONDATAA probe{};
    probe.cbSize = NOTIFYICONDATAA_V1_SIZE;
    probe.hWnd = trayHost;
    probe.uID = 1;
    return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

namespace settings {
void Reset() {
    // A test may have taken every right away; the owner can always give them back.
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
        SECURITY_DESCRIPTOR open;
        InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE);
        RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &open);
        RegCloseKey(key);
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
}

void SetDword(const char* name, DWORD value) {
    RegSetKeyValueA(HKEY_CURRENT_USER, kKey, name, REG_DWORD, &value, sizeof value);
}

void SetText(const char* name, const std::string& value) {
    RegSetKeyValueA(HKEY_CURRENT_USER, kKey, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

std::pair<DWORD, std::vector<unsigned char>> Get(const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return {0, {}};
    DWORD type = 0, size = 0;
    std::vector<unsigned char> data;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        data.resize(size);
        RegQueryValueExA(key, name, nullptr, &type, data.data(), &size);
    } else {
        type = 0;
    }
    RegCloseKey(key);
    return {type, data};
}
}  // namespace settings

namespace settings {
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::optional<std::string> RunValue() {
    char value[4096] = {};
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, kRunKey, "Wendrel", RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::string(value);
}

void RemoveRunValue() { RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, "Wendrel"); }
}  // namespace settings

std::vector<DWORD> RunningWendrels() {
    std::vector<DWORD> pids;
    for (HWND w = FindWindowExA(nullptr, nullptr, "WendrelTray", nullptr); w;
         w = FindWindowExA(nullptr, w, "WendrelTray", nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        pids.push_back(pid);
    }
    return pids;
}

void KillProcess(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!process) return;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

std::string ReadFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int CountLines(const std::string& text, const std::string& needle) {
    std::istringstream in(text);
    int count = 0;
    for (std::string line; std::getline(in, line);) count += line.find(needle) != std::string::npos;
    return count;
}

std::string MakeTempFolder(const std::string& name) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId()) + "\\";
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    std::filesystem::create_directories(folder);
    return folder;
}
