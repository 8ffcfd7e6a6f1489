#include "history/PlayerHistory.h"

#include <algorithm>
#include <map>
#include <utility>

namespace {
std::int64_t Minute(std::int64_t t) { return t >= 0 ? t / 60 : (t - 59) / 60; }

bool Earlier(std::int64_t t, const HistoryRecord& r) { return t < r.time; }

// The oldest time kept at now: 90 days before now, or before the newest
// record when that is older. Of the newest records, those after a gap of
// more than kLargeGap that are fewer than a tenth of all were made while the
// clock ran ahead: the record before the gap is the newest.
std::int64_t OldestKept(const std::vector<HistoryRecord>& records, std::int64_t now) {
    std::int64_t newest = now;
    if (!records.empty()) {
        const std::size_t n = records.size();
        newest = records.back().time;
        // From the first record after which fewer than a tenth of all follow.
        for (std::size_t i = n - 1 - (n - 1) / 10; i + 1 < n; ++i)
            if (records[i + 1].time - records[i].time > PlayerHistory::kLargeGap) {
                newest = records[i].time;
                break;
            }
    }
    return std::min(now, newest) - PlayerHistory::kKeepSeconds;
}

// A line of a file beside the history as it is compared: a record in the
// form it is written in now, any other line as it is.
std::string Normal(std::string_view line) {
    const auto record = ParseRecord(line);
    return record ? FormatRecord(*record) : std::string(line);
}
}  // namespace

void PlayerHistory::Load(std::int64_t now) {
    std::string text, error;
    if (!file_.Read({}, text, error)) {
        // A file that cannot be read is not written either: it may hold
        // days this run cannot see. Each save tries to read it again.
        readable_ = false;
        notices_.push_back(Message(Msg::HistoryNotRead, file_.Path(), error));
        return;
    }
    Tidy(text, now, true);
}

bool PlayerHistory::ReadAgain(std::int64_t now) {
    std::string text, error;
    if (!file_.Read({}, text, error)) return false;
    // The run's records, in time order, wait for the file as those of failed
    // writes do, but none of them gives way to newer ones.
    for (const HistoryRecord& r : records_) waiting_.push_back(FormatRecord(r));
    unread_ = waiting_.size();
    readable_ = true;
    Tidy(text, now, true);
    return true;
}

void PlayerHistory::Trim(std::int64_t now) {
    tidied_ = now;
    if (!readable_) {
        records_.erase(records_.begin(),
                       std::upper_bound(records_.begin(), records_.end(), OldestKept(records_, now) - 1, Earlier));
        return;
    }
    // The file as it is now: another program may have added to it.
    std::string text, error;
    if (!file_.Read({}, text, error)) {
        notices_.push_back(Message(Msg::HistoryLeftUnread, file_.Path(), error));
        return;
    }
    Tidy(text, now, false);
}

void PlayerHistory::Tidy(std::string_view text, std::int64_t now, bool start) {
    tidied_ = now;
    ParsedHistory parsed = ParseHistory(text);
    const std::vector<HistoryRecord>& all = parsed.records;
    hasHeader_ = parsed.header;
    const auto ahead = all.end() - std::upper_bound(all.begin(), all.end(), now, Earlier);
    if (start && ahead > 0) notices_.push_back(Message(Msg::HistoryAhead, Count{ahead}));
    const std::int64_t oldestKept = OldestKept(all, now);
    const auto old =
        std::partition_point(all.begin(), all.end(), [&](const HistoryRecord& r) { return r.time < oldestKept; });
    const std::vector<HistoryRecord> kept(old, all.end());
    records_ = kept;
    // The records still waiting for the file are shown all the same.
    for (const std::string& line : waiting_)
        if (const auto r = ParseRecord(line))
            records_.insert(std::upper_bound(records_.begin(), records_.end(), r->time, Earlier), *r);
    const auto dropped = static_cast<std::size_t>(old - all.begin());
    if (dropped == 0 && parsed.unreadable.empty() && (text.empty() || hasHeader_)) return;

    // Nothing is rewritten before what it would lose is kept elsewhere.
    const bool backUp = dropped * 10 > all.size();
    std::size_t backedUp = 0, setAside = 0;
    if (backUp) {
        std::vector<std::string> lines;
        for (auto r = all.begin(); r != old; ++r) lines.push_back(FormatRecord(*r));
        if (!AddBeside(kBackupSuffix, lines, kHistoryHeader, backedUp)) return;
    }
    if (!parsed.unreadable.empty() && !AddBeside(kUnreadableSuffix, parsed.unreadable, {}, setAside)) return;
    std::string error;
    const bool rewritten = file_.Replace({}, FormatHistory(kept), error);
    if (rewritten) hasHeader_ = true;
    // Each said when it happens: what an earlier start copied is not said again until it moves.
    if (backUp && (backedUp > 0 || rewritten))
        notices_.push_back(Message(Msg::HistoryKeptInBackup, Count{static_cast<std::int64_t>(dropped)},
                                   Int{static_cast<std::int64_t>(all.size())}, Beside(kBackupSuffix)));
    if (rewritten && !parsed.unreadable.empty())
        notices_.push_back(Message(Msg::HistoryUnreadableMoved,
                                   Count{static_cast<std::int64_t>(parsed.unreadable.size())},
                                   Beside(kUnreadableSuffix)));
    if (!rewritten && setAside > 0)
        notices_.push_back(Message(Msg::HistoryUnreadableCopied, Count{static_cast<std::int64_t>(setAside)},
                                   Beside(kUnreadableSuffix)));
    if (!rewritten) notices_.push_back(Message(Msg::HistoryLeftNotRewritten, file_.Path(), error));
}

bool PlayerHistory::AddBeside(std::string_view suffix, const std::vector<std::string>& lines, std::string_view header,
                              std::size_t& added) {
    std::string text, error;
    if (!file_.Read(suffix, text, error)) {
        notices_.push_back(Message(Msg::HistoryLeftUnread, Beside(suffix), error));
        return false;
    }
    // A start whose rewrite failed added them already: each line goes in once.
    std::map<std::string, std::size_t> there;
    const ParsedHistory before = ParseHistory(text);
    for (const HistoryRecord& r : before.records) ++there[FormatRecord(r)];
    for (const std::string& line : before.unreadable) ++there[line];
    std::string more = text.empty() && !header.empty() ? std::string(header) + "\r\n" : std::string();
    added = 0;
    for (const std::string& line : lines) {
        std::size_t& count = there[Normal(line)];
        if (count > 0) {
            --count;
            continue;
        }
        more += line + "\r\n";
        ++added;
    }
    if (added == 0) return true;
    if (!file_.Append(suffix, more, error)) {
        notices_.push_back(Message(Msg::HistoryLeftUnwritten, Beside(suffix), error));
        return false;
    }
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
    // A clock set back a day or more counts as a day gone by too.
    if (!tidied_ || time - *tidied_ >= kTrimEvery || *tidied_ - time >= kTrimEvery) Trim(time);
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
    // Until the file is read, the run's records are those in memory.
    const bool unread = !readable_;
    if (unread) {
        if (!ReadAgain(record.time)) return;
    } else {
        waiting_.push_back(FormatRecord(record));
        if (waiting_.size() > kMostWaiting + unread_) {
            waiting_.erase(waiting_.begin() + static_cast<std::ptrdiff_t>(unread_));
            ++lost_;
        }
    }
    std::string text = hasHeader_ ? std::string() : std::string(kHistoryHeader) + "\r\n";
    for (const std::string& line : waiting_) text += line + "\r\n";
    std::string error;
    if (!file_.Append({}, text, error)) {
        // Said once for each spell of failures; the records wait meanwhile.
        if (!std::exchange(failing_, true)) notices_.push_back(Message(Msg::HistoryNotSaved, file_.Path(), error));
        return;
    }
    hasHeader_ = true;
    // Said too when the file is read again: "No history is kept" holds no more.
    if (std::exchange(failing_, false) || unread) {
        Message notice(Msg::HistorySavedAgain, Count{static_cast<std::int64_t>(waiting_.size() - 1)});
        if (lost_)
            notice = Message(Msg::HistorySavedAgainLost, std::move(notice), Count{static_cast<std::int64_t>(lost_)});
        notices_.push_back(std::move(notice));
    }
    waiting_.clear();
    lost_ = unread_ = 0;
}

std::vector<Message> PlayerHistory::TakeNotices() { return std::exchange(notices_, {}); }
