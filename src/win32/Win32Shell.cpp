#include "win32/Win32Shell.h"

#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <vector>

#include "common/GetFolder.h"
#include "common/SoundPath.h"
#include "win32/Files.h"
#include "win32/Handles.h"
#include "win32/SystemLibrary.h"
#include "win32/WinError.h"

// The core's names for the shell's and the sound's values.
static_assert(kNifMessage == NIF_MESSAGE && kNifIcon == NIF_ICON && kNifTip == NIF_TIP);
static_assert(kWmMouseMove == WM_MOUSEMOVE && kWmLButtonDblClk == WM_LBUTTONDBLCLK && kWmRButtonUp == WM_RBUTTONUP);
static_assert(static_cast<DWORD>(TrayMessage::Add) == NIM_ADD &&
              static_cast<DWORD>(TrayMessage::Modify) == NIM_MODIFY &&
              static_cast<DWORD>(TrayMessage::Delete) == NIM_DELETE);
static_assert(kSndFilename == SND_FILENAME && kSndNoDefault == SND_NODEFAULT && kSndAsync == SND_ASYNC);

namespace {
// Copies text into a fixed field, cut to fit with its terminator.
template <std::size_t N>
void CopyTruncated(const std::string& text, char (&field)[N]) {
    const std::size_t n = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}
}  // namespace

bool Win32Tray::NotifyIcon(TrayMessage message, const TrayRecord& data) {
    // The record is the classic first version of NOTIFYICONDATAA; its size
    // on this platform replaces the 88 bytes it has in 32-bit code.
    NOTIFYICONDATAA nid{};
    nid.cbSize = data.cbSize == kTrayRecordSize ? NOTIFYICONDATAA_V1_SIZE : data.cbSize;
    nid.hWnd = reinterpret_cast<HWND>(data.hWnd);
    nid.uID = data.uID;
    nid.uFlags = data.uFlags;
    nid.uCallbackMessage = data.uCallbackMessage;
    nid.hIcon = reinterpret_cast<HICON>(data.hIcon);
    // The record's tip is 64 bytes; the platform's field may be larger.
    static_assert(sizeof nid.szTip >= sizeof data.szTip);
    std::memcpy(nid.szTip, data.szTip, sizeof data.szTip);
    nid.szTip[sizeof nid.szTip - 1] = '\0';
    return Shell_NotifyIconA(static_cast<DWORD>(message), &nid) != FALSE;
}

bool Win32Tray::ShowNotification(const TrayNotification& notification) {
    // The full-size record: the notification fields follow the classic ones.
    NOTIFYICONDATAA nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = reinterpret_cast<HWND>(notification.hWnd);
    nid.uID = notification.uID;
    nid.uFlags = NIF_INFO;
    // The alarm's wave already plays: no sound from the shell.
    nid.dwInfoFlags = NIIF_INFO | NIIF_NOSOUND;
    CopyTruncated(notification.title, nid.szInfoTitle);
    CopyTruncated(notification.text, nid.szInfo);
    return Shell_NotifyIconA(NIM_MODIFY, &nid) != FALSE;
}

void Win32Sound::Play(const std::string& path, std::uint32_t flags) {
    const std::string file = ResolveSoundPath(path, ProgramFolder(), [](const std::string& p) {
        const DWORD attributes = GetFileAttributesA(p.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    });
    if (log_) {
        const UniqueFile probe(CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
        const DWORD error = GetLastError();
        if (!probe) {
            log_->Write("sound: cannot open \"" + file + "\": " + SystemErrorText(error));
        } else {
            log_->Write("sound: playing \"" + file + "\"");
        }
    }
    using PlaySoundFunction = BOOL(WINAPI*)(LPCSTR, HMODULE, DWORD);
    static const auto playSound = SystemFunction<PlaySoundFunction>(LoadSystemLibrary("winmm.dll"), "PlaySoundA");
    if (playSound) playSound(file.c_str(), nullptr, flags);
}

std::string Win32Launcher::CurrentDirectory() {
    std::vector<char> buffer(GetCurrentDirectoryA(0, nullptr) + 1);
    buffer.resize(GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data()));
    return std::string(buffer.begin(), buffer.end());
}

bool Win32Launcher::ChangeDrive(const std::string& drive, std::string& error) {
    // "C:" alone selects the drive at its own current folder.
    return SetCurrentDirectoryA(drive.c_str()) || FailWithLastError(error);
}

bool Win32Launcher::ChangeDirectory(const std::string& folder, std::string& error) {
    return SetCurrentDirectoryA(folder.c_str()) || FailWithLastError(error);
}

bool Win32Launcher::Start(const std::string& application, const std::string& commandLine, std::string& error) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    // The application name is passed as well: with only an unquoted command
    // line, "C:\Program Files\..." would first try to run "C:\Program.exe".
    if (!CreateProcessA(application.c_str(), line.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr,
                        nullptr, &startup, &process))
        return FailWithLastError(error);
    // The program neither waits for the client nor keeps it.
    const UniqueHandle child(process.hProcess), thread(process.hThread);
    return true;
}

LocalTime Win32Clock::Now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

namespace {
constexpr std::int64_t kUnixEpochIn100ns = 116444736000000000;  // 1970-01-01 as a FILETIME

std::int64_t ToSeconds(const FILETIME& time) {
    const std::int64_t ticks = (static_cast<std::int64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return (ticks - kUnixEpochIn100ns) / 10000000;
}

FILETIME ToFileTime(std::int64_t seconds) {
    const std::uint64_t ticks = static_cast<std::uint64_t>(seconds * 10000000 + kUnixEpochIn100ns);
    return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}
}  // namespace

std::int64_t Win32Clock::UtcNow() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return ToSeconds(now);
}

int Win32Clock::UtcOffsetMinutes(std::int64_t utc) {
    const FILETIME utcTime = ToFileTime(utc);
    SYSTEMTIME system, local;
    if (!FileTimeToSystemTime(&utcTime, &system)) return 0;
    // The zone's rules for that year, which need not be this year's.
    auto [year, added] = zones_.try_emplace(system.wYear);
    if (added) {
        TIME_ZONE_INFORMATION zone;
        if (GetTimeZoneInformationForYear(system.wYear, nullptr, &zone)) year->second = zone;
    }
    if (!SystemTimeToTzSpecificLocalTime(year->second ? &*year->second : nullptr, &system, &local)) return 0;
    FILETIME localTime;
    if (!SystemTimeToFileTime(&local, &localTime)) return 0;
    return static_cast<int>((ToSeconds(localTime) - utc) / 60);
}

int Win32Clock::FirstDayOfWeek() {
    // "0" Monday … "6" Sunday, as the program counts.
    char day[4] = {};
    if (!GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, day, sizeof day) || day[0] < '0' || day[0] > '6')
        return 0;
    return day[0] - '0';
}

namespace {
// Other programs may read, write, rename and delete the log while a line goes in.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
}  // namespace

bool FileLog::Check(std::string& error) const { return OpenForAppending(path_, kShareAll) || FailWithLastError(error); }

void FileLog::Write(const std::string& line) {
    const UniqueFile file = OpenForAppending(path_, kShareAll);
    if (!file) return;
    SYSTEMTIME t;
    GetLocalTime(&t);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u ", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    std::string ignored;  // a line that cannot be written is lost; the program goes on
    WriteAll(file.get(), stamp + line + "\r\n", ignored);
}

std::string ProgramPath() {
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) return std::string(path.data(), n);
        path.resize(path.size() * 2);
    }
}

std::string ProgramFolder() { return GetFolder(ProgramPath()); }

std::string FullPath(const std::string& path) {
    if (path.empty()) return path;
    std::vector<char> full(MAX_PATH);
    for (;;) {
        const DWORD n = GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0) return path;
        if (n < full.size()) return std::string(full.data(), n);
        full.resize(n);
    }
}

std::string Win32Launcher::FullPath(const std::string& path) { return ::FullPath(path); }
