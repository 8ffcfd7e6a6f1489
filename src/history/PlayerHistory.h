#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/HistoryRecord.h"
#include "platform/HistoryFile.h"
#include "text/Message.h"

// The record of every completed scan, kept in a file across runs: at most
// one record a minute, 90 days at the most. A file that cannot be read or
// written costs the history, never the scan; no line of it is ever thrown
// away unread, and no record of the last 90 days (by a clock that agrees
// with the records) without a copy.
class PlayerHistory {
public:
    static constexpr std::int64_t kKeepSeconds = 90 * 86400;
    // While Wendrel runs, the old records go once a day, as at a start.
    static constexpr std::int64_t kTrimEvery = 86400;
    // Records this long after the rest that are fewer than a tenth of all
    // were made while the clock ran ahead: they decide nothing.
    static constexpr std::int64_t kLargeGap = 86400;
    // Records that wait while the file cannot be written: a day of one a minute.
    static constexpr std::size_t kMostWaiting = 1440;
    // Beside the file: the records a start dropped when they were many, and
    // the lines it could not read. Both are only ever added to.
    static constexpr std::string_view kBackupSuffix = ".bak", kUnreadableSuffix = ".bad";

    explicit PlayerHistory(HistoryFile& file) : file_(file) {}

    // Reads the file and drops the records more than 90 days older than
    // now, or than the newest record when that is older (a clock that runs
    // ahead drops nothing the file has); records far ahead of the rest
    // (kLargeGap) are not the newest. Lines it cannot read are added to the
    // .bad file; a start that drops more than a tenth of the records adds
    // them to the .bak file first; neither gets a line it already has. The
    // file is rewritten in one step when any of that happened. Records dated
    // ahead of now are kept, and said once. A file that cannot be read is
    // read again before each write, and the run's records then go in too.
    void Load(std::int64_t now);
    // A completed scan: recorded unless the same minute has a scan.
    // Returns whether it was recorded. Once a day (kTrimEvery) the file is
    // read and tidied again first, as Load does.
    bool Add(std::int64_t time, std::optional<std::int32_t> players);
    // Wendrel stops watching at time (it exits, or the computer sleeps):
    // recorded after a scan, and not again until the next one. Returns
    // whether it was recorded.
    bool MarkStopped(std::int64_t time);

    // Scans and stops, in time order.
    const std::vector<HistoryRecord>& Records() const { return records_; }
    // What went wrong with the file, or right again, since the last call:
    // each for the status line and the log.
    std::vector<Message> TakeNotices();

private:
    bool MinuteHasScan(std::int64_t time) const;
    // Puts the record in its place and in the file, after any that wait.
    void Record(const HistoryRecord& record);
    // Drops the old records of the file's text, keeps what it drops or cannot read, and rewrites it.
    void Tidy(std::string_view text, std::int64_t now, bool start);
    void Trim(std::int64_t now);
    // While the file could not be read since the start: reads it, and once it
    // does, the run's records wait for it and it is tidied as at a start.
    bool ReadAgain(std::int64_t now);
    // Adds to the file beside those of lines it does not have yet (as often as
    // they are missing), header first in a new file; added counts them.
    // False, and said, when that cannot be done.
    bool AddBeside(std::string_view suffix, const std::vector<std::string>& lines, std::string_view header,
                   std::size_t& added);
    std::string Beside(std::string_view suffix) const { return file_.Path() + std::string(suffix); }

    HistoryFile& file_;
    std::vector<HistoryRecord> records_;
    std::deque<std::string> waiting_;     // lines of records not yet in the file
    std::size_t lost_ = 0;                // records that waited too long
    std::size_t unread_ = 0;              // the first of waiting_, made before the file was read: never given up
    bool readable_ = true;                // the file was read; it may be written
    bool hasHeader_ = false;              // the file starts with the header line
    bool failing_ = false;                // the last write failed
    std::optional<std::int64_t> tidied_;  // when the file was last tidied
    std::vector<Message> notices_;
};
