#include "history/PlayerHistory.h"

#include <algorithm>
#include <utility>

#include "history/HistoryFigures.h"

namespace {
std::int64_t Minute(std::int64_t t) { return t >= 0 ? t / 60 : (t - 59) / 60; }

bool Earlier(std::int64_t t, const HistoryRecord& r) { return t < r.time; }
}  // namespace

void PlayerHistory::Load(std::int64_t now) {
    std::string text, error;
    if (!file_.Read(text, error)) {
        // A file that cannot be read is not written either: it may hold
        // days the next run can read.
        readable_ = false;
        notices_.push_back("No history is kept: the history file " + file_.Path() + " cannot be read: " + error);
        return;
    }
    ParsedHistory parsed = ParseHistory(text);
    hasHeader_ = parsed.header;
    const std::int64_t newest = parsed.records.empty() ? now : parsed.records.back().time;
    const std::int64_t oldestKept = std::min(now, newest) - kKeepSeconds;
    const auto old = std::partition_point(parsed.records.begin(), parsed.records.end(),
                                          [&](const HistoryRecord& r) { return r.time < oldestKept; });
    const auto dropped = static_cast<std::size_t>(old - parsed.records.begin());
    records_.assign(old, parsed.records.end());
    if (dropped == 0 && parsed.unreadable.empty() && (text.empty() || hasHeader_)) return;
    // Nothing is rewritten before what it would lose is kept elsewhere.
    if (dropped * 10 > parsed.records.size() && !KeepBackup(text, dropped, parsed.records.size())) return;
    if (!parsed.unreadable.empty() && !SetAside(parsed.unreadable)) return;
    if (file_.Replace({}, FormatHistory(records_), error))
        hasHeader_ = true;
    else
        notices_.push_back("History file left as it was: " + file_.Path() + " cannot be rewritten: " + error);
}

bool PlayerHistory::KeepBackup(const std::string& text, std::size_t dropped, std::size_t all) {
    std::string error;
    if (!file_.Replace(kBackupSuffix, text, error)) {
        notices_.push_back("History file left as it was: " + Beside(kBackupSuffix) + " cannot be written: " + error);
        return false;
    }
    notices_.push_back("History: " + std::to_string(dropped) + " of " + Counted(all, "record", "records") +
                       " were older than 90 days; the old file is kept as " + Beside(kBackupSuffix));
    return true;
}

bool PlayerHistory::SetAside(const std::vector<std::string>& lines) {
    std::string error;
    if (!file_.Append(kUnreadableSuffix, JoinLines(lines), error)) {
        notices_.push_back("History file left as it was: " + Beside(kUnreadableSuffix) +
                           " cannot be written: " + error);
        return false;
    }
    notices_.push_back("History: " + Counted(lines.size(), "line", "lines") + " it could not read moved to " +
                       Beside(kUnreadableSuffix));
    return true;
}

bool PlayerHistory::MinuteHasScan(std::int64_t time) const {
    const std::int64_t minute = Minute(time);
    auto at = std::lower_bound(records_.begin(), records_.end(), minute * 60,
                               [](const HistoryRecord& r, std::int64_t t) { return r.time < t; });
    for (; at != records_.end() && Minute(at->time) == minute; ++at)
        if (at->IsScan()) return true;
    return false;
}

bool PlayerHistory::Add(std::int64_t time, std::optional<std::int32_t> players) {
    if (MinuteHasScan(time)) return false;
    Record({time, players});
    return true;
}

bool PlayerHistory::MarkStopped(std::int64_t time) {
    const auto at = std::upper_bound(records_.begin(), records_.end(), time, Earlier);
    if (at == records_.begin() || (at - 1)->stopped) return false;
    Record({time, std::nullopt, true});
    return true;
}

void PlayerHistory::Record(const HistoryRecord& record) {
    records_.insert(std::upper_bound(records_.begin(), records_.end(), record.time, Earlier), record);
    if (!readable_) return;
    waiting_.push_back(FormatRecord(record) + "\r\n");
    if (waiting_.size() > kMostWaiting) {
        waiting_.pop_front();
        ++lost_;
    }
    std::string text = hasHeader_ ? std::string() : std::string(kHistoryHeader) + "\r\n";
    for (const std::string& line : waiting_) text += line;
    std::string error;
    if (!file_.Append({}, text, error)) {
        // Said once for each spell of failures; the records wait meanwhile.
        if (!std::exchange(failing_, true))
            notices_.push_back("History not saved: the history file " + file_.Path() + " cannot be written: " + error);
        return;
    }
    hasHeader_ = true;
    if (std::exchange(failing_, false)) {
        std::string notice =
            "History saved again, with " + Counted(waiting_.size() - 1, "record", "records") + " that waited";
        if (lost_) notice += " (" + Counted(lost_, "older record", "older records") + " could not wait)";
        notices_.push_back(notice);
    }
    waiting_.clear();
    lost_ = 0;
}

std::vector<std::string> PlayerHistory::TakeNotices() { return std::exchange(notices_, {}); }
