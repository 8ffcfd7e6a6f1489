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

void RetrySchedule::CheckStarted() {
    checkNow_ = false;
    notBefore_ = 0;
}

void RetrySchedule::CheckFailed(std::optional<std::int64_t> asksToWait) {
    if (failures_ < kMostCounted) ++failures_;
    if (asksToWait) AskedToWait(0, *asksToWait);
}

void RetrySchedule::CheckWorked() {
    failures_ = 0;
    quick_ = false;
    noticeHeard_ = false;
}

void RetrySchedule::AskedToWait(std::int64_t elapsed, std::int64_t seconds) {
    notBefore_ = std::max(notBefore_, elapsed + std::clamp<std::int64_t>(seconds, 0, kLongestWait));
}

void RetrySchedule::Woke() {
    checkNow_ = true;
    failures_ = 0;
    quick_ = true;
    noticeHeard_ = false;
    notBefore_ = 0;
}

bool RetrySchedule::NetworkNotice() {
    // A new address where checks work changes nothing; after a failed one it
    // may be the network coming back, once: a flapping network or a VPN that
    // reconnects must not make a storm of requests.
    if (failures_ == 0 || noticeHeard_ || notBefore_ > 0) return false;
    checkNow_ = noticeHeard_ = true;
    return true;
}

std::int64_t RetrySchedule::SecondsBetweenChecks(std::int64_t interval) const {
    const std::int64_t scheduled = failures_ == 0 ? interval : std::min(interval, RetryDelay(failures_, quick_));
    return std::max(scheduled, notBefore_);
}

std::int64_t RetrySchedule::SecondsToNextCheck(std::int64_t elapsed, std::int64_t interval) const {
    if (checkNow_) return 0;
    return std::max<std::int64_t>(0, SecondsBetweenChecks(interval) - elapsed);
}
