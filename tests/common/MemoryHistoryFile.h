#pragma once

#include <map>
#include <string>
#include <string_view>

#include "platform/HistoryFile.h"

// The history file and the files beside it in memory, failing on request.
class MemoryHistoryFile : public HistoryFile {
public:
    std::string text;                           // the history file itself
    std::map<std::string, std::string> beside;  // by suffix: ".bak", ".bad"
    bool failRead = false, failAppend = false, failReplace = false;
    int appends = 0, replaces = 0;  // of the history file itself

    std::string Path() const override { return "C:\\h\\history.csv"; }
    bool Read(std::string_view suffix, std::string& out, std::string& error) override {
        const auto it = beside.find(std::string(suffix));
        out = suffix.empty() ? text : it == beside.end() ? std::string() : it->second;
        return !failRead || Fail(error);
    }
    bool Append(std::string_view suffix, const std::string& more, std::string& error) override {
        if (failAppend) return Fail(error);
        appends += suffix.empty();
        std::string& file = At(suffix);
        if (!file.empty() && file.back() != '\n') file += "\r\n";
        file += more;
        return true;
    }
    bool Replace(std::string_view suffix, const std::string& all, std::string& error) override {
        if (failReplace) return Fail(error);
        replaces += suffix.empty();
        At(suffix) = all;
        return true;
    }

private:
    std::string& At(std::string_view suffix) { return suffix.empty() ? text : beside[std::string(suffix)]; }
    static bool Fail(std::string& error) {
        error = "Access is denied";
        return false;
    }
};
