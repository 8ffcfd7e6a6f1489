#pragma once

#include <cstdint>

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// The time, and the user's time zone and calendar settings.
class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime Now() = 0;
    // Seconds since 1 January 1970, UTC.
    virtual std::int64_t UtcNow() = 0;
    // Local time minus UTC, in minutes, at the moment utc (daylight saving
    // time included, by the rules of that moment's year).
    virtual int UtcOffsetMinutes(std::int64_t utc) = 0;
    // The user's first day of the week: 0 Monday … 6 Sunday.
    virtual int FirstDayOfWeek() = 0;
    // The clock, the time zone or the regional settings changed: whatever the
    // clock keeps of them is read again.
    virtual void Refresh() {}
};
