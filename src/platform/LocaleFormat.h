#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Numbers, times and day names as the player's Windows writes them.
class LocaleFormat {
public:
    virtual ~LocaleFormat() = default;
    virtual std::string Integer(std::int64_t value) const = 0;            // "1,000,000"; "1.000.000"
    virtual std::string Decimal(double value, int digits) const = 0;      // "11.9"; "11,9"
    // second < 0: without seconds; minute < 0: the hour alone ("19", "7 PM").
    virtual std::string Time(int hour, int minute, int second) const = 0;
    // A weekday's name (0 Monday … 6 Sunday) in language ("de", "ru"...),
    // full or abbreviated ("Wed").
    virtual std::string DayName(int weekday, bool abbreviated, std::string_view language) const = 0;
};
