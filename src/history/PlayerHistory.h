#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "history/HistoryRecord.h"
#include "platform/HistoryFile.h"

// The record of every completed scan, kept in a file across runs: at most
// one record a minute, 90 days at the most. A file that cannot be read or
// written costs the history, never the scan; no line of it is ever thrown
// away unread.
class PlayerHistory {
public:
    static constexpr std::int64_t kKeepSeconds = 90 * 86400;
    // Records that wait while the file cannot be written: a day of one a minute.
    static constexpr std::size_t kMostWaiting = 1440;
    // Beside the file: its old content before a start dropped many records,
    // and the lines it could not read.
    static constexpr std::string_view kBackupSuffix = ".bak", kUnreadableSuffix = ".bad";

    explicit PlayerHistory(HistoryFile& file) : file_(file) {}

    // Reads the file and drops the records more than 90 days older than
    // now, or than the newest record when that is older (a clock that runs
    // ahead drops nothing the file has). Lines it cannot read move to the
    // .bad file; a start that drops more than a tenth of the records keeps
    // the old file as the .bak file first. The file is rewritten in one
    // step when any of that happened.
    void Load(std::int64_t now);
    // A completed scan: recorded unless the same minute has a scan.
    // Returns whether it was recorded.
    bool Add(std::int64_t time, std::optional<std::int32_t> players);
    // Wendrel stops watching at time (it exits, or the computer sleeps):
    // recorded after a scan, and not again until the next one. Returns
    // whether it was recorded.
    bool MarkStopped(std::int64_t time);

    // Scans and stops, in time order.
    const std::vector<HistoryRecord>& Records() const { return records_; }
    // What went wrong with the file, or right again, since the last call:
    // each a line for the status line and the log.
    std::vector<std::string> TakeNotices();

private:
    bool MinuteHasScan(std::int64_t time) const;
    // Puts the record in its place and in the file, after any that wait.
    void Record(const HistoryRecord& record);
    bool KeepBackup(const std::string& text, std::size_t dropped, std::size_t all);
    bool SetAside(const std::vector<std::string>& lines);
    std::string Beside(std::string_view suffix) const { return file_.Path() + std::string(suffix); }

    HistoryFile& file_;
    std::vector<HistoryRecord> records_;
    std::deque<std::string> waiting_;  // lines of records not yet in the file
    std::size_t lost_ = 0;             // records that waited too long
    bool readable_ = true;             // the file was read; it may be written
    bool hasHeader_ = false;           // the file starts with the header line
    bool failing_ = false;             // the last write failed
    std::vector<std::string> notices_;
};
