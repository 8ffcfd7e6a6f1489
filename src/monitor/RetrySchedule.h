#pragma once

#include <cstdint>

// When the next timer-driven check comes. While checks work, at the
// interval. After a failed one, sooner: 15 s, then twice as long after each
// failure in a row, never later than the interval. A wake, or a new network
// address while checks fail, asks for a check at once, and its retries start
// at 5 s (5, 15, 30, ...): the network may still be coming up.
//
// It keeps no clock: it is told what happened, and asked with the seconds
// the caller counted since the last check and the interval in seconds
// (0 or less: every second).
class RetrySchedule {
public:
    static constexpr std::int64_t kFirstRetry = 15, kFirstQuickRetry = 5;

    // What happened.
    void CheckStarted();  // a timer-driven check starts: one asked for at once is made
    void CheckFailed();
    void CheckWorked();
    void Woke();
    // A new network address. Returns whether it asks for a check at once:
    // only while checks fail, and once for a burst of notices.
    bool NetworkNotice();

    // What it answers.
    // Seconds from one timer-driven check to the next.
    std::int64_t SecondsBetweenChecks(std::int64_t interval) const;
    // Seconds until the next check, elapsed seconds after the last; 0 when it is due.
    std::int64_t SecondsToNextCheck(std::int64_t elapsed, std::int64_t interval) const;
    bool Due(std::int64_t elapsed, std::int64_t interval) const { return SecondsToNextCheck(elapsed, interval) == 0; }
    // The last timer-driven check failed, and the next comes sooner for it.
    bool Retrying() const { return failures_ > 0; }

private:
    void StartQuickChecks();

    int failures_ = 0;    // timer-driven checks failed in a row
    bool quick_ = false;  // the retries start at kFirstQuickRetry
    bool checkNow_ = false;
};
