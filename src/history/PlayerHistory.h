#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "history/HistoryRecord.h"
#include "platform/HistoryFile.h"

// The record of every completed scan, kept in a file across runs: at most
// one record a minute, 90 days at the most. A file that cannot be read or
// written costs the history, never the scan.
class PlayerHistory {
public:
    static constexpr std::int64_t kKeepSeconds = 90 * 86400;

    explicit PlayerHistory(HistoryFile& file) : file_(file) {}

    // Reads the file and drops records older than 90 days (and lines it
    // cannot read), rewriting the file in one step when it dropped any.
    void Load(std::int64_t now);
    // A completed scan: recorded unless the same minute has a record.
    // Returns whether it was recorded.
    bool Add(std::int64_t time, std::optional<std::int32_t> players);

    const std::vector<HistoryRecord>& Records() const { return records_; }
    // Why the history cannot be kept, the first time that is known; empty
    // after that and while all is well.
    std::string TakeProblem();

private:
    void Fail(const std::string& what, const std::string& error);

    HistoryFile& file_;
    std::vector<HistoryRecord> records_;
    bool readable_ = true;    // the file was read; it may be written
    bool hasHeader_ = false;  // the file starts with the header line
    bool reported_ = false;
    std::string problem_;
};
