#pragma once

#include <string>

// A mission's date line as the sorter writes it, re-dated to the given day of
// January 1939, then the rest of the file.
inline std::string JanuaryLine(int day, const std::string& rest = "") {
    return "msnDate \"1/" + std::to_string(day) + "/1939\"  \r\n" + rest;
}

// A mission dated before the sorter's run.
inline const std::string kOldMission = "msnDate \"5/5/1940\"\r\n";
