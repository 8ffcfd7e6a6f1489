#pragma once

#include <string>
#include <string_view>

// The player history's file, and the files beside it (its backup, the lines
// it could not read), named by the suffix after its own name. Failures come
// back as false with the system's error text.
class HistoryFile {
public:
    virtual ~HistoryFile() = default;
    // Where the file is, for messages.
    virtual std::string Path() const = 0;
    // The whole of Path() + suffix; empty, and true, when there is none yet.
    virtual bool Read(std::string_view suffix, std::string& text, std::string& error) = 0;
    // Adds text at the end of Path() + suffix, creating it (and its folder)
    // if need be. The text starts on a line of its own: when the file ends
    // in the middle of a line (a torn write), a line end goes first.
    virtual bool Append(std::string_view suffix, const std::string& text, std::string& error) = 0;
    // Replaces the whole of Path() + suffix in one step: a scratch copy,
    // flushed, then renamed.
    virtual bool Replace(std::string_view suffix, const std::string& text, std::string& error) = 0;
};
