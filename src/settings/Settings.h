#pragma once

#include <cstdint>

#include "common/Names.h"
#include "platform/RegistryApi.h"

// A setting kept under the program's key: its value name, the type it is
// stored as, and the text the Options form shows when nothing usable is stored.
struct Setting {
    const char* name;
    std::uint32_t type;
    const char* defaultText;
};

namespace Settings {
inline constexpr const char* kKeyPath = WENDREL_SETTINGS_KEY;  // under HKEY_CURRENT_USER

inline constexpr Setting CheckInterval{"CheckInterval", kRegDword, "5"};
inline constexpr Setting Players{"Players", kRegDword, "2"};
inline constexpr Setting AlarmSound{"AlarmSound", kRegSz, "Flyover.wav"};
inline constexpr Setting ZalmoPath{"ZalmoPath", kRegSz, "C:\\Program Files\\QuellanPro3\\qlpro.exe"};
inline constexpr Setting InWindow{"InWindow", kRegDword, "1"};
inline constexpr Setting Notify{"Notify", kRegDword, "1"};
inline constexpr Setting Remind{"Remind", kRegDword, "0"};
// The language the windows speak: a code ("de", "ru"); empty or absent for Windows' language.
inline constexpr Setting Language{"Language", kRegSz, ""};

// "Start Wendrel with Windows": this value under the current user's Run key
// holds the command that starts the program; the box shows whether it starts this copy.
inline constexpr const char* kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValueName = WENDREL_RUN_VALUE;
}  // namespace Settings
