#pragma once

#include <windows.h>

#include <map>
#include <optional>

#include "platform/Clock.h"

// The system's clock, the user's time zone (with the daylight saving rules
// of each year) and the first day of the week of the user's locale.
class Win32Clock : public Clock {
public:
    LocalTime Now() override;
    std::int64_t UtcNow() override;
    int UtcOffsetMinutes(std::int64_t utc) override;
    int FirstDayOfWeek() override;
    void Refresh() override { zones_.clear(); }

private:
    // By year: reading one takes the registry. The first day of the week is
    // read each time: Windows keeps the locale's settings itself.
    std::map<int, std::optional<TIME_ZONE_INFORMATION>> zones_;
};
