#pragma once

#include <string>
#include <vector>

#include "platform/LocaleFormat.h"

// Numbers and times in the user's regional settings (Control Panel, Region),
// day names in the language shown: that of the regional settings when it is
// the same language, else the language's own.
class Win32LocaleFormat : public LocaleFormat {
public:
    std::string Integer(std::int64_t value) const override;
    std::string Decimal(double value, int digits) const override;
    std::string Time(int hour, int minute, int second) const override;
    std::string DayName(int weekday, bool abbreviated, std::string_view language) const override;
};

// Windows' display languages for this user, most wanted first ("de-AT", "en-US").
std::vector<std::string> WindowsLanguages();
