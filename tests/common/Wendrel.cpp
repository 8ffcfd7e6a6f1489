#include "Wendrel.h"

#include <shellapi.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "Driver.h"

namespace {
constexpr const char* kKey = WENDREL_SETTINGS_KEY;

HWND FindOwnWindow(const char* className, const char* caption, DWORD pid) {
    for (HWND w : driver::TopWindows(className, caption))
        if (driver::ProcessOf(w) == pid) return w;
    return nullptr;
}

void KillProcess(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!process) return;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

// Sets the key's access rights to the list given; null: everyone may do anything.
bool SetKeyAccess(ACL* access) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, WRITE_DAC, &key) != ERROR_SUCCESS) return false;
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, access, FALSE);
    const bool set = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor) == ERROR_SUCCESS;
    RegCloseKey(key);
    return set;
}
}  // namespace

std::string& WendrelProcess::ExePath() {
    static std::string path;
    return path;
}

bool WendrelProcess::Start(const std::string& arguments, const std::string& exe) {
    return Process::Start("\"" + exe + "\" " + arguments);
}

HWND WendrelProcess::TrayHost() const { return TrayHostOf(Pid()); }

// By its class alone: its caption is in the language the program speaks.
HWND WendrelProcess::MainWindow() const { return FindOwnWindow("WendrelMain", nullptr, Pid()); }

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
    SetKeyAccess(nullptr);
    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
}

void SetDword(const char* name, DWORD value) {
    SetValue(name, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), sizeof value));
}

void SetText(const char* name, const std::string& value) { SetValue(name, REG_SZ, value + '\0'); }

void SetValue(const char* name, DWORD type, const std::string& bytes) {
    RegSetKeyValueA(HKEY_CURRENT_USER, kKey, name, type, bytes.data(), static_cast<DWORD>(bytes.size()));
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

bool DenyAccess() {
    ACL none;
    InitializeAcl(&none, sizeof none, ACL_REVISION);
    if (!SetKeyAccess(&none)) return false;
    HKEY key;
    const LONG status = RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE, &key);
    if (status == ERROR_SUCCESS) RegCloseKey(key);
    return status == ERROR_ACCESS_DENIED;
}
}  // namespace settings

namespace settings {
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::optional<std::string> RunValue() {
    char value[4096] = {};
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, kRunKey, WENDREL_RUN_VALUE, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::string(value);
}

void RemoveRunValue() { RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, WENDREL_RUN_VALUE); }
}  // namespace settings

bool ChooseFromTrayMenu(HWND trayHost, TrayMenuItem item) {
    driver::RightClickTrayIcon(trayHost);
    return driver::ChooseMenuItem(static_cast<int>(item));
}

HWND ShowMainWindow(HWND trayHost) {
    driver::DoubleClickTrayIcon(trayHost);
    return driver::WaitForVisible("WendrelMain", nullptr, driver::ProcessOf(trayHost));
}

HWND OpenOptions(HWND trayHost, const char* caption) {
    if (!ChooseFromTrayMenu(trayHost, TrayMenuItem::Options)) return nullptr;
    return driver::WaitForVisible("#32770", caption, driver::ProcessOf(trayHost));
}

std::vector<DWORD> RunningWendrels() {
    std::vector<DWORD> pids;
    for (HWND host : driver::TopWindows(WENDREL_TRAY_CLASS)) pids.push_back(driver::ProcessOf(host));
    return pids;
}

HWND TrayHostOf(DWORD pid) { return FindOwnWindow(WENDREL_TRAY_CLASS, nullptr, pid); }

void KillRunningWendrels() {
    for (DWORD pid : RunningWendrels()) KillProcess(pid);
}

DWORD WaitForWendrel(DWORD other, std::chrono::milliseconds timeout) {
    DWORD found = 0;
    driver::WaitUntil(
        [&] {
            for (DWORD pid : RunningWendrels())
                if (pid != other) found = pid;
            return found != 0;
        },
        timeout);
    return found;
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
