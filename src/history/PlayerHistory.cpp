#include "history/PlayerHistory.h"

#include <algorithm>
#include <utility>

void PlayerHistory::Load(std::int64_t now) {
    std::string text, error;
    if (!file_.Read(text, error)) {
        // A file that cannot be read is not written either: it may hold
        // days the next run can read.
        readable_ = false;
        return Fail("cannot be read", error);
    }
    ParsedHistory parsed = ParseHistory(text);
    hasHeader_ = parsed.header;
    const auto old = std::partition_point(parsed.records.begin(), parsed.records.end(),
                                          [&](const HistoryRecord& r) { return r.time < now - kKeepSeconds; });
    const bool dropped = old != parsed.records.begin() || parsed.skipped > 0;
    records_.assign(old, parsed.records.end());
    if (dropped || (!text.empty() && !hasHeader_)) {
        if (file_.Replace(FormatHistory(records_), error))
            hasHeader_ = true;
        else
            Fail("cannot be rewritten", error);
    }
}

bool PlayerHistory::Add(std::int64_t time, std::optional<std::int32_t> players) {
    const auto minute = [](std::int64_t t) { return t >= 0 ? t / 60 : (t - 59) / 60; };
    const auto at = std::upper_bound(records_.begin(), records_.end(), time,
                                     [](std::int64_t t, const HistoryRecord& r) { return t < r.time; });
    if (at != records_.begin() && minute((at - 1)->time) == minute(time)) return false;
    if (at != records_.end() && minute(at->time) == minute(time)) return false;
    const HistoryRecord record{time, players};
    records_.insert(at, record);
    if (!readable_) return true;
    std::string line = hasHeader_ ? std::string() : std::string(kHistoryHeader) + "\r\n";
    line += FormatRecord(record) + "\r\n";
    std::string error;
    if (file_.Append(line, error))
        hasHeader_ = true;
    else
        Fail("cannot be written", error);
    return true;
}

std::string PlayerHistory::TakeProblem() { return std::exchange(problem_, std::string()); }

void PlayerHistory::Fail(const std::string& what, const std::string& error) {
    if (reported_) return;
    reported_ = true;
    problem_ = "the history file " + file_.Path() + " " + what + ": " + error;
}
