#include "monitor/WakeNotices.h"

bool WakeNotices::Resumed() {
    if (!asleep_ && sinceWake_ < kSameWake) return false;
    asleep_ = false;
    sinceWake_ = 0;
    return true;
}
