#pragma once

#include <cstdint>

// Sorts the computer's sleep and resume notices into wakes. Windows may send
// two resume notices for one wake (a second one when a user woke it): a
// resume notice with no suspend notice since the last wake, within
// kSameWake seconds of it, is that wake's. One that comes later, or with no
// wake before it, is a wake of its own (a suspend notice can go missing).
// It keeps no clock: it is told each second as a tick.
class WakeNotices {
public:
    static constexpr std::int64_t kSameWake = 60;

    void Suspended() { asleep_ = true; }
    // Returns whether the notice is a new wake.
    bool Resumed();
    void Tick() {
        if (sinceWake_ < kSameWake) ++sinceWake_;
    }

private:
    bool asleep_ = false;
    std::int64_t sinceWake_ = kSameWake;  // seconds since the last wake, counted up to kSameWake
};
