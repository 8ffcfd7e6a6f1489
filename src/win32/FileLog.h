#pragma once

#include <string>

#include "platform/EventLog.h"

// Appends each line to a file, opened and closed per line so that nothing
// waits in a buffer and other programs can read it at any time.
class FileLog : public EventLog {
public:
    explicit FileLog(std::string path) : path_(std::move(path)) {}
    const std::string& Path() const { return path_; }
    // Whether lines can be appended to the file (which it creates if need be).
    bool Check(std::string& error) const;
    void Write(const std::string& line) override;

private:
    std::string path_;
};
