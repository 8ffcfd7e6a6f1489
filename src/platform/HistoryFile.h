#pragma once

#include <string>

// The player history's file. Failures come back as false with the system's
// error text.
class HistoryFile {
public:
    virtual ~HistoryFile() = default;
    // Where the file is, for messages.
    virtual std::string Path() const = 0;
    // The whole file; empty, and true, when there is none yet.
    virtual bool Read(std::string& text, std::string& error) = 0;
    // Adds text at the end, creating the file (and its folder) if need be.
    virtual bool Append(const std::string& text, std::string& error) = 0;
    // Replaces the whole file in one step: a scratch copy, flushed, then renamed.
    virtual bool Replace(const std::string& text, std::string& error) = 0;
};
