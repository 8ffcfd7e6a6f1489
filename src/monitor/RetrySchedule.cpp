#include "monitor/RetrySchedule.h"

#include <algorithm>

namespace {

constexpr int kMostCounted = 64;  // failures in a row past this wait no longer

// Seconds from a failed check to the next, the failures in a row counted
// from 1: 15, 30, 60, ...; quick ones begin with 5 s: 5, 15, 30, ...
std::int64_t RetryDelay(int failures, bool quick) {
    if (quick && failures == 1) return RetrySchedule::kFirstQuickRetry;
    const int doublings = std::clamp(failures - (quick ? 2 : 1), 0, 40);
    return RetrySchedule::kFirstRetry << doublings;
}

}  // namespace

void RetrySchedule::CheckStarted() { checkNow_ = false; }

void RetrySchedule::CheckFailed() {
    if (failures_ < kMostCounted) ++failures_;
}

void RetrySchedule::CheckWorked() {
    failures_ = 0;
    quick_ = false;
}

void RetrySchedule::Woke() { StartQuickChecks(); }

void RetrySchedule::StartQuickChecks() {
    checkNow_ = true;
    failures_ = 0;
    quick_ = true;
}

bool RetrySchedule::NetworkNotice() {
    // A new address where checks work changes nothing; after a failed one it
    // may be the network coming back. The quick checks start with no failure
    // counted, so the rest of a burst of notices asks nothing more.
    if (failures_ == 0) return false;
    StartQuickChecks();
    return true;
}

std::int64_t RetrySchedule::SecondsBetweenChecks(std::int64_t interval) const {
    return failures_ == 0 ? interval : std::min(interval, RetryDelay(failures_, quick_));
}

std::int64_t RetrySchedule::SecondsToNextCheck(std::int64_t elapsed, std::int64_t interval) const {
    if (checkNow_) return 0;
    return std::max<std::int64_t>(0, SecondsBetweenChecks(interval) - elapsed);
}
