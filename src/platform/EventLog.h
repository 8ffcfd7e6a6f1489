#pragma once

#include <string>

// Where the program writes one line per scan and per alarm change (--log);
// the log puts the date and time in front of each line.
class EventLog {
public:
    virtual ~EventLog() = default;
    virtual void Write(const std::string& line) = 0;
};
