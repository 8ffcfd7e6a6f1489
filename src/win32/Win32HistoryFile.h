#pragma once

#include <string>

#include "platform/HistoryFile.h"

// The history file over the Windows file API; its folder is made when the
// first line is written. Its path is UTF-8, and reaches Windows in UTF-16.
class Win32HistoryFile : public HistoryFile {
public:
    explicit Win32HistoryFile(std::string path) : path_(std::move(path)) {}

    std::string Path() const override { return path_; }
    bool Read(std::string_view suffix, std::string& text, std::string& error) override;
    bool Append(std::string_view suffix, const std::string& text, std::string& error) override;
    bool Replace(std::string_view suffix, const std::string& text, std::string& error) override;

private:
    std::string path_;
};
