#include "win32/Win32Clock.h"

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

LocalTime Win32Clock::Now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

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
    wchar_t day[4] = {};
    if (!GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, day, 4) || day[0] < L'0' || day[0] > L'6')
        return 0;
    return day[0] - L'0';
}
