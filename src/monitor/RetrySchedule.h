#pragma once

#include <cstdint>
#include <optional>

// When the next timer-driven check comes. While checks work, at the
// interval. After a failed one, sooner: 15 s, then twice as long after each
// failure in a row, never later than the interval. A wake asks for a check
// at once, and its retries start at 5 s (5, 15, 30, ...): the network may
// still be coming up. A new network address while checks fail brings the
// next check forward, once in a spell of failures; the retries keep their
// pace. A busy server's wait (Retry-After) is obeyed, up to an hour: no
// check comes sooner, whatever the interval or a notice.
//
// It keeps no clock: it is told what happened, and asked with the seconds
// the caller counted since the last check and the interval in seconds
// (0 or less: every second).
class RetrySchedule {
public:
    static constexpr std::int64_t kFirstRetry = 15, kFirstQuickRetry = 5;
    // The longest wait obeyed: a wrong header must not silence the alarm for a day.
    static constexpr std::int64_t kLongestWait = 3600;

    // What happened.
    void CheckStarted();  // a timer-driven check starts: one asked for at once is made
    // A timer-driven check failed; asksToWait: the seconds a busy server asked to wait.
    void CheckFailed(std::optional<std::int64_t> asksToWait = std::nullopt);
    void CheckWorked();
    // A check outside the schedule (Rescan), elapsed seconds after the last
    // timer-driven one, was asked to wait seconds.
    void AskedToWait(std::int64_t elapsed, std::int64_t seconds);
    void Woke();
    // A new network address. Returns whether it asks for a check at once:
    // only while checks fail, once in a spell of failures, and not while a
    // busy server's wait holds.
    bool NetworkNotice();

    // What it answers.
    // Seconds from one timer-driven check to the next.
    std::int64_t SecondsBetweenChecks(std::int64_t interval) const;
    // Seconds until the next check, elapsed seconds after the last; 0 when it is due.
    std::int64_t SecondsToNextCheck(std::int64_t elapsed, std::int64_t interval) const;
    bool Due(std::int64_t elapsed, std::int64_t interval) const { return SecondsToNextCheck(elapsed, interval) == 0; }
    // The next check comes sooner or later than the interval: after a failed
    // timer-driven check, or while a server's wait holds.
    bool Retrying() const { return failures_ > 0 || notBefore_ > 0; }

private:
    int failures_ = 0;    // timer-driven checks failed in a row
    bool quick_ = false;  // the retries start at kFirstQuickRetry
    bool checkNow_ = false;
    bool noticeHeard_ = false;    // a notice brought a check forward in this spell of failures
    std::int64_t notBefore_ = 0;  // seconds after the last timer-driven check before which none comes
};
