#pragma once

#include <string>
#include <vector>

#include "platform/LocaleFormat.h"

// Numbers and times in the user's regional settings (Control Panel, Region),
// day names in the language shown: that of the regional settings when it is
// the same language, else the language's own.
const LocaleFormat& WindowsLocaleFormat();

// Windows' display languages for this user, most wanted first ("de-AT", "en-US").
std::vector<std::string> WindowsLanguages();
