#pragma once

#include <cstdint>
#include <string>

// One row of a scan: a status server and the players counted for it.
struct Site {
    std::string Name;
    std::int32_t PlayerCount = 0;
    std::string IP;  // kept for the row's shape; nothing fills it
};
